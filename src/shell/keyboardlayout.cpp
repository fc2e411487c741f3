// Reads _XKB_RULES_NAMES from the X server's root window: rules, model, layout, variant and
// options as NUL-separated strings.
#include "shell/keyboardlayout.h"

#include <QGuiApplication>

#if defined(VLM_HAVE_XCB) && __has_include(<xcb/xcb.h>)
#include <cstdlib>
#include <xcb/xcb.h>
#define VLM_READ_XKB 1
#endif

namespace vlm::shell {

QString xkbLayoutName() {
#if defined(VLM_READ_XKB) && QT_CONFIG(xcb)
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) return {};
    const xcb_setup_t* setup = xcb_get_setup(c);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    if (!screens.rem) return {};
    static const char kAtom[] = "_XKB_RULES_NAMES";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof kAtom - 1, kAtom), nullptr);
    if (!atom) return {};
    const xcb_atom_t name = atom->atom;
    std::free(atom);
    if (name == XCB_ATOM_NONE) return {};
    xcb_get_property_reply_t* prop = xcb_get_property_reply(
        c, xcb_get_property(c, 0, screens.data->root, name, XCB_ATOM_STRING, 0, 1024), nullptr);
    if (!prop) return {};
    const char* data = static_cast<const char*>(xcb_get_property_value(prop));
    const int length = xcb_get_property_value_length(prop);
    QString layout;
    int field = 0, start = 0;
    for (int i = 0; i <= length && field <= 2; ++i) {
        if (i == length || data[i] == '\0') {
            if (field == 2) layout = QString::fromLatin1(data + start, i - start);
            ++field;
            start = i + 1;
        }
    }
    std::free(prop);
    return layout;
#else
    return {};
#endif
}

}  // namespace vlm::shell
