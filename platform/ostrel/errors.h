#pragma once

#include <string>
#include <string_view>

#include "platform/com/hresult.h"

// The platform's own error codes, each defined once. The object model and
// the card control test for some of them by number (a deleted card, a
// refusal), so they live beside the interfaces rather than in one
// implementation of them.
namespace ostrel::err {

// A storage failure: the store could not read or write; nothing of the
// failed write was kept. The session's GetLastErrorText tells the cause.
inline constexpr com::HResult kStorageFailure = com::MakeHResult(0x80040500u);
// A card type definition does not load (bad XML, unknown type code, a
// duplicate section ID...); the description names the file and the fault.
inline constexpr com::HResult kSchemaError = com::MakeHResult(0x80040510u);
// No card of that ID was ever in the store (or the ID is not a GUID).
inline constexpr com::HResult kUnknownCard = com::MakeHResult(0x80040540u);
// The card type has no section, sub-section or field of that ID or name.
inline constexpr com::HResult kUnknownSchemaItem = com::MakeHResult(0x80040541u);
// No card type of that ID is defined.
inline constexpr com::HResult kUnknownCardType = com::MakeHResult(0x80040542u);
// The row was removed from its card (by this session, or by a refresh that
// found it removed by another one).
inline constexpr com::HResult kRowDeleted = com::MakeHResult(0x80040543u);
// A single-row section or sub-section already holds its row.
inline constexpr com::HResult kSingleRowTaken = com::MakeHResult(0x80040544u);
// The card has been deleted; its data can no longer be used.
inline constexpr com::HResult kCardDeleted = com::MakeHResult(0x80040703u);
// Refused by the server: a lock held by someone else, a second card of a
// single-card type, a name that is fixed. The session's GetLastErrorText
// carries the server's text.
inline constexpr com::HResult kRefused = com::MakeHResult(0x80040751u);
// A write conflict: a field the write sets was changed by another session
// since this session read the card, so the write would overwrite a change
// its writer never saw. Nothing of the write was kept; the text names the
// card and who wrote it last. Refresh the card and apply the change again.
inline constexpr com::HResult kConflict = com::MakeHResult(0x80040753u);
// A service of the platform cannot be reached: the workflow server, or the
// search service, is not running for this store.
inline constexpr com::HResult kServiceUnavailable = com::MakeHResult(0x80040752u);

// The source of every error the platform raises.
inline constexpr std::string_view kSource = "Ostrel";

// The text form of a refusal that carries a server sub-code, which clients
// translate into their own message 4000 + sub-code:
// "Korvessa.Platform.StorageServer.SoapError: 1873, <sub-code>, <text>".
std::string RefusalText(int subcode, std::string_view text);

}  // namespace ostrel::err
