#pragma once

#include <cstdint>
#include <string>

#include "platform/com/dispatch.h"
#include "platform/pellory/host.h"

// What a card host calls on a card control: its initialisation with the
// session and the card's data, its user-interface lifecycle, the host's
// actions, and (ours, for hosts without a window system) the control's
// window as a model.
namespace pellory {

// Activation flags (QueryActivate, Activate): the low byte is the kind of
// activation (1 edit, 3 embedded without a toolbar); 0x400 a brand-new
// card, 0x800 a new instance made by the host from a template.
namespace activate {
inline constexpr int32_t kKindMask = 0xFF;
inline constexpr int32_t kEdit = 1;
inline constexpr int32_t kEmbedded = 3;
inline constexpr int32_t kNewCard = 0x400;
inline constexpr int32_t kNewInstance = 0x800;
}  // namespace activate

class CardInitialize : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{4E2B8D17-A6C9-4F31-8B5D-C7E0936F1A28}"};
  static const com::TypeInfo& DispatchInfo();
  // `session` is an ostrel::Session, `card_data` an ostrel::CardData.
  virtual void Init(const com::Variant& session, const com::Variant& card_data) = 0;
};

class CardUI : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{B81F4C63-2D97-4E05-A3B8-6F1D2E9C7540}"};
  static const com::TypeInfo& DispatchInfo();
  // `frame` is a Frame (or any object answering its names).
  virtual void Load(const com::Variant& frame) = 0;
  virtual void Unload() = 0;
  // 0x4001 when the control takes the activation, 0x4000 otherwise.
  virtual int32_t QueryActivate(const com::Variant& pellory, int32_t flags, const std::string& mode_id,
                                const std::string& shortcut_id, const std::string& folder_id,
                                const com::Variant& params) = 0;
  virtual void Activate(int32_t flags, const std::string& mode_id, const std::string& shortcut_id,
                        const std::string& folder_id, const com::Variant& params) = 0;
  // 0 do not close; 1 close; 3 close, and the card was saved.
  virtual int32_t QueryClose() = 0;
  virtual void Close() = 0;
  // The window's preferred width and height and its least width and height
  // (pixels), and whether it may be resized, as an array of five values.
  virtual com::Variant GetWindowSize() = 0;
};

class CardUIAction : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{17C5E9A4-3F82-4B6D-9E01-D84A2C6B3F95}"};
  static const com::TypeInfo& DispatchInfo();
  virtual void Perform(const com::Variant& pellory, const std::string& action_id, const std::string& mode_id) = 0;
};

// The control's window as a model that any host renders and drives: its
// constituent controls by name, the person's input, the pointer, and an
// event when anything a host draws changed (CardWindowEvents).
class CardWindow : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{C3A07E58-91B4-4D2F-86E3-5B9F0A1D7C62}"};
  static const com::TypeInfo& DispatchInfo();

  // "tbMain", "sbMain", "tmrMain", "imToolbar", "Designer".
  virtual com::Ref<com::Unknown> Controls(const std::string& name) = 0;
  virtual void ButtonClick(const std::string& key) = 0;
  virtual void KeyDown(int32_t key_code, int32_t shift) = 0;
  virtual void KeyUp(int32_t key_code, int32_t shift) = 0;
  // The window's new size, in twips.
  virtual void Resize(int32_t width, int32_t height) = 0;
  // The host runs the timer: it calls this when "tmrMain" is enabled and
  // its "Interval" (milliseconds) has passed.
  virtual void TimerTick() = 0;
  // 0 normal, 11 the hourglass while the control is busy.
  virtual int32_t MousePointer() = 0;
  // The frame's caption as the control last set it.
  virtual std::string Caption() = 0;
};

class CardWindowEvents : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{6B2D9F30-E415-4C87-A9D2-0F3E8B51C7A4}"};
  static constexpr com::DispId kWindowChanged = 1;
  static const com::TypeInfo& DispatchInfo();
  // The toolbar, a panel, the caption or the pointer changed.
  virtual void WindowChanged() = 0;
};

}  // namespace pellory
