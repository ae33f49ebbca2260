#pragma once

namespace embedded {

class Store;

// Attaches to a new store the components every store of the embedded
// platform has: the search engine (CardManager.FindCards), the object form
// of the folder card (the folder tree) and the workflow server
// (Session.GetProcessManager, GetExtensionManager), running. Store::Open
// calls it for every store.
void AttachStandardComponents(Store& store);

}  // namespace embedded
