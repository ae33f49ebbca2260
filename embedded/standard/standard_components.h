#pragma once

namespace embedded {

class Store;

// Attaches to a new store the components every store of the embedded
// platform has: the search engine (CardManager.FindCards) and the object
// form of the folder card (the folder tree). Store::Open calls it for every
// store; the workflow server is attached apart, by the program that runs it.
void AttachStandardComponents(Store& store);

}  // namespace embedded
