// Pictures of the standard function and gate types, by type ID: a glyph in
// a 24 x 18 box, drawn in its frame (a rounded box for a function, a
// diamond for a gate) in the palette and in the corner of a node on the
// graph. A type of the dictionary's own has none.

const FUNCTION_FRAME = '<rect x="1" y="2" width="22" height="14" rx="3" fill="#e3f2fd" stroke="#1565c0" stroke-width="1.5"/>';
const GATE_FRAME = '<path d="M12 1 L22 9 L12 17 L2 9 Z" fill="#fff8e1" stroke="#ef6c00" stroke-width="1.5"/>';

const GLYPHS = {
  // Functions
  "{2E0A9AAF-CC20-46CD-875E-F3987718C551}": ["function", '<path d="M9.5 5.5 L16 9 L9.5 12.5 Z" fill="#2e7d32"/>'],  // Start
  "{E1C766C6-94E0-48D3-8150-82E5B66B43FB}": ["function", '<rect x="9" y="6" width="6" height="6" fill="#b71c1c"/>'],  // Finish
  "{2B262D6F-6195-44DE-A0CC-A60129BBCF99}": ["function", '<path d="M8 9 L11 12 L16.5 6" fill="none" stroke="#1565c0" stroke-width="1.8"/>'],  // Task
  "{8622C9E1-924E-4A25-95CB-DFC663B216FF}": ["function", '<rect x="7" y="5.5" width="10" height="7" fill="#fff" stroke="#1565c0"/><path d="M7 5.5 L12 9.5 L17 5.5" fill="none" stroke="#1565c0"/>'],  // Notification
  "{9B22FD0E-5FAF-44E4-8C28-274470DC1C85}": ["function", '<path d="M12 4.5 L16.5 9 L12 13.5 L7.5 9 Z" fill="#fff" stroke="#1565c0"/>'],  // Condition
  "{2BF8B01D-3EDF-40C2-8C94-C6F5F3BC82AC}": ["function", '<rect x="8" y="5.5" width="8" height="7" fill="#fff" stroke="#1565c0"/><path d="M12 7 V11 M10 9 H14" stroke="#1565c0" stroke-width="1.3"/>'],  // Sub-process
  // Gates
  "{00000000-0000-0000-0000-000000000000}": ["gate", '<circle cx="12" cy="9" r="2.6" fill="none" stroke="#ef6c00" stroke-width="1.5"/>'],  // Process
  "{DE24E4D4-4097-48C5-8A7F-3B9A6A65810D}": ["gate", '<rect x="9" y="6" width="5" height="6" fill="#fff" stroke="#ef6c00"/><rect x="10.5" y="7.5" width="5" height="6" fill="#fff" stroke="#ef6c00"/>'],  // Cards
  "{A7E505E8-C639-49B1-9E74-3A7FAD6E330D}": ["gate", '<circle cx="12" cy="7" r="1.8" fill="#ef6c00"/><path d="M8.8 12.5 Q12 8.5 15.2 12.5 Z" fill="#ef6c00"/>'],  // Staff
  "{64CF7CC6-3172-4108-A9F1-9BBC523EC511}": ["gate", '<rect x="8.5" y="6.5" width="7" height="5" fill="#fff" stroke="#ef6c00"/><path d="M8.5 6.5 L12 9.3 L15.5 6.5" fill="none" stroke="#ef6c00"/>'],  // Mail
};

// The SVG markup (in the 24 x 18 box) of the type's picture, in its frame
// or the glyph alone; null for a type without one.
export function typePicture(typeId, framed = true) {
  const glyph = GLYPHS[String(typeId ?? "").toUpperCase()];
  if (!glyph) return null;
  if (!framed) return glyph[1];
  return (glyph[0] === "gate" ? GATE_FRAME : FUNCTION_FRAME) + glyph[1];
}
