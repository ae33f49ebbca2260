#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <pybind11/pybind11.h>

#include "platform/com/dispatch.h"

namespace vorlane::python {

// What Python holds of an automation object: its identity (the Unknown,
// which decides equality) and its Dispatch, through which every member is
// reached. An object that offers no Dispatch can still be held, compared
// and passed back to the runtime; using a member of it fails with 0x80004002.
class DispatchProxy {
 public:
  // `object` is not null.
  explicit DispatchProxy(com::Ref<com::Unknown> object);

  const com::Ref<com::Unknown>& identity() const { return identity_; }
  // Fails with 0x80004002 when the object offers no Dispatch.
  com::Dispatch& dispatch() const;
  // The description of the object's default interface; nullptr when it has
  // none (or no Dispatch).
  const com::TypeInfo* type_info() const;

  // Attribute read: a property without required arguments is read now; a
  // method or a property with arguments becomes a bound Method. Raises
  // AttributeError for a name the object does not know.
  pybind11::object GetAttribute(const std::string& name) const;
  // Attribute assignment: a property let (a set for an object value).
  void SetAttribute(const std::string& name, pybind11::handle value) const;
  // The default member (dispatch ID 0) with these arguments.
  pybind11::object CallDefault(pybind11::args args, pybind11::kwargs kwargs) const;
  pybind11::object GetItem(pybind11::handle index) const;
  void SetItem(pybind11::handle index, pybind11::handle value) const;
  // An iterator over the object's enumerator (dispatch ID -4).
  pybind11::object Iterate() const;
  // The object's Count; TypeError when it has none.
  size_t Length() const;
  // "<vorlane object _Collection>"; with the object's name (Name, else
  // Caption) and ID where its interface has them:
  // "<vorlane object _Process 'Order' {2F...}>".
  std::string Repr() const;
  // What help() shows of the object: its interface and every member with
  // its parameters, from the dispatch description.
  std::string Doc() const;
  // Member names in slot order, each once (and Update, where the object
  // has an update bracket).
  std::vector<std::string> MemberNames() const;

  bool SameObject(const DispatchProxy& other) const { return identity_ == other.identity_; }
  size_t Hash() const { return std::hash<const void*>()(identity_.get()); }

 private:
  // Dispatch ID of `name`, nullopt when the object does not know it.
  std::optional<com::DispId> FindName(const std::string& name) const;
  // Dispatch ID of `name`; AttributeError when the object does not know it.
  com::DispId IdOfAttribute(const std::string& name) const;

  com::Ref<com::Unknown> identity_;
  com::Ref<com::Dispatch> dispatch_;
};

// The text of one member for help(): "AddNew(Key=None) -> Object  [method]".
std::string MemberDoc(const com::TypeInfo& info, const std::string& name);

// A proxy for `object`, or None for a null object (Nothing).
pybind11::object WrapObject(com::Ref<com::Unknown> object);

}  // namespace vorlane::python
