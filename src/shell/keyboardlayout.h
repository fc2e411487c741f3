// The keyboard layout the X server was set up with (the layout field of its XKB rule names,
// "us" or "us,ru"), for the status bar's keyboard indicator when the input method does not
// tell the language. "" off X or when the server does not say.
#pragma once

#include <QString>

namespace vlm::shell {

QString xkbLayoutName();

}  // namespace vlm::shell
