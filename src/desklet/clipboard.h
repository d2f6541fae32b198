// Clipboard port: the system clipboard's Unicode text, read for a paste and written by a copy.
#pragma once

#include <string>

#include "ports/handles.h"

namespace tideglass {

class Clipboard {
public:
    Clipboard() = default;
    Clipboard(const Clipboard&) = delete;
    Clipboard& operator=(const Clipboard&) = delete;
    virtual ~Clipboard() = default;

    // The clipboard's text; empty when it holds none or cannot be opened.
    virtual std::u16string text(WindowHandle owner) = 0;
    // Replaces what the clipboard holds with `text`, owned by `owner`; false when that failed.
    virtual bool setText(WindowHandle owner, const std::u16string& text) = 0;
};

}  // namespace tideglass
