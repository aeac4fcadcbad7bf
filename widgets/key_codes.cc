#include "widgets/key_codes.h"

#include <QKeyEvent>
#include <unordered_map>

namespace woodtick {
namespace {

// Keys whose code does not follow from a range.
const std::unordered_map<int, int>& FixedCodes() {
  static const std::unordered_map<int, int> codes = {
      {Qt::Key_Backspace, 8},   {Qt::Key_Tab, 9},          {Qt::Key_Backtab, 9},
      {Qt::Key_Clear, 12},      {Qt::Key_Return, 13},      {Qt::Key_Enter, 13},
      {Qt::Key_Shift, 16},      {Qt::Key_Control, 17},     {Qt::Key_Alt, 18},
      {Qt::Key_Pause, 19},      {Qt::Key_CapsLock, 20},    {Qt::Key_Escape, 27},
      {Qt::Key_Space, 32},      {Qt::Key_PageUp, 33},      {Qt::Key_PageDown, 34},
      {Qt::Key_End, 35},        {Qt::Key_Home, 36},        {Qt::Key_Left, 37},
      {Qt::Key_Up, 38},         {Qt::Key_Right, 39},       {Qt::Key_Down, 40},
      {Qt::Key_Select, 41},     {Qt::Key_Printer, 42},     {Qt::Key_Execute, 43},
      {Qt::Key_Print, 44},      {Qt::Key_Insert, 45},      {Qt::Key_Delete, 46},
      {Qt::Key_Help, 47},       {Qt::Key_Meta, 91},        {Qt::Key_Super_L, 91},
      {Qt::Key_Super_R, 92},    {Qt::Key_Menu, 93},        {Qt::Key_Sleep, 95},
      {Qt::Key_NumLock, 144},   {Qt::Key_ScrollLock, 145},
      // The US layout's punctuation keys, shifted or not.
      {Qt::Key_Semicolon, 186}, {Qt::Key_Colon, 186},      {Qt::Key_Equal, 187},
      {Qt::Key_Plus, 187},      {Qt::Key_Comma, 188},      {Qt::Key_Less, 188},
      {Qt::Key_Minus, 189},     {Qt::Key_Underscore, 189}, {Qt::Key_Period, 190},
      {Qt::Key_Greater, 190},   {Qt::Key_Slash, 191},      {Qt::Key_Question, 191},
      {Qt::Key_QuoteLeft, 192}, {Qt::Key_AsciiTilde, 192}, {Qt::Key_BracketLeft, 219},
      {Qt::Key_BraceLeft, 219}, {Qt::Key_Backslash, 220},  {Qt::Key_Bar, 220},
      {Qt::Key_BracketRight, 221}, {Qt::Key_BraceRight, 221}, {Qt::Key_Apostrophe, 222},
      {Qt::Key_QuoteDbl, 222},
      // Shifted digits of the US layout are still their digit keys.
      {Qt::Key_Exclam, '1'},    {Qt::Key_At, '2'},         {Qt::Key_NumberSign, '3'},
      {Qt::Key_Dollar, '4'},    {Qt::Key_Percent, '5'},    {Qt::Key_AsciiCircum, '6'},
      {Qt::Key_Ampersand, '7'}, {Qt::Key_Asterisk, '8'},   {Qt::Key_ParenLeft, '9'},
      {Qt::Key_ParenRight, '0'}};
  return codes;
}

// The numeric keypad has codes of its own.
int KeypadCode(int qt_key) {
  if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9) return 96 + (qt_key - Qt::Key_0);
  switch (qt_key) {
    case Qt::Key_Asterisk: return 106;
    case Qt::Key_Plus: return 107;
    case Qt::Key_Minus: return 109;
    case Qt::Key_Period: return 110;
    case Qt::Key_Comma: return 110;
    case Qt::Key_Slash: return 111;
    case Qt::Key_Enter: return 13;
    case Qt::Key_Home: return 36;
    case Qt::Key_End: return 35;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: return 0;
  }
}

}  // namespace

int VirtualKeyCode(int qt_key, Qt::KeyboardModifiers modifiers) {
  if (modifiers & Qt::KeypadModifier) {
    if (int code = KeypadCode(qt_key)) return code;
  }
  if (qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) return 'A' + (qt_key - Qt::Key_A);
  if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9) return '0' + (qt_key - Qt::Key_0);
  if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F24) return 112 + (qt_key - Qt::Key_F1);
  const auto& codes = FixedCodes();
  auto it = codes.find(qt_key);
  return it == codes.end() ? 0 : it->second;
}

int VirtualKeyCode(const QKeyEvent& event) {
  return VirtualKeyCode(event.key(), event.modifiers());
}

}  // namespace woodtick
