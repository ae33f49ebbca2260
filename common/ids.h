#pragma once

#include <string>
#include <string_view>

// IDs are GUID texts in the registry form.
namespace vorlane {

// A new GUID as text, 38 characters: "{", 8-4-4-4-12 upper-case hexadecimal
// digits, "}". Fails with the generator's own code (source "CreateGUID",
// "CreateGUID failed.") when no GUID can be made, and with 0x80040000
// ("StringFromGUID2 failed") when it cannot be written as text.
std::string CreateGUID();

// `id` trimmed of blanks and upper-cased, wrapped in "{" and "}" when it
// holds no "{": " ab-cd " reads "{AB-CD}", an empty field reads "{}".
std::string NormalizeID(std::string_view id);
// The same, made in `id` itself: for a text the caller has no more use for.
void NormalizeIDInPlace(std::string& id);

// True when the NormalizeID forms of `a` and `b` are equal without regard
// to case: "{a1}" and "A1" are the same ID.
bool SameID(std::string_view a, std::string_view b);

}  // namespace vorlane
