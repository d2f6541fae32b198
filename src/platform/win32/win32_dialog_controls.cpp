#include "platform/win32/win32_dialog_controls.h"

#include <algorithm>
#include <vector>

namespace tideglass::win32 {

void Win32DialogControls::setText(int id, const std::string& text) {
    SetDlgItemTextA(page_, id, text.c_str());
}

std::string Win32DialogControls::getText(int id, std::size_t maxChars) {
    std::vector<char> buffer(maxChars + 1, '\0');
    // The result counts the characters copied, without the terminating zero.
    const UINT length = GetDlgItemTextA(page_, id, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), std::min<std::size_t>(length, maxChars));
}

void Win32DialogControls::setUnsigned(int id, uint32_t value) {
    SetDlgItemInt(page_, id, value, FALSE);
}

std::optional<uint32_t> Win32DialogControls::getUnsigned(int id) {
    // Windows refuses a minus sign in an unsigned field, but Wine reads "-3" as 4294967293;
    // look at the text first so a negative entry keeps the stored value on both.
    char head[64] = {};
    GetDlgItemTextA(page_, id, head, sizeof head);
    const char* p = head;
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p == '-')
        return std::nullopt;

    BOOL converted = FALSE;
    const UINT value = GetDlgItemInt(page_, id, &converted, FALSE);
    if (!converted)
        return std::nullopt;
    return static_cast<uint32_t>(value);
}

void Win32DialogControls::setChecked(int id, bool checked) {
    CheckDlgButton(page_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool Win32DialogControls::isChecked(int id) {
    return IsDlgButtonChecked(page_, id) == BST_CHECKED;
}

void Win32DialogControls::setLink(DeskletToken target) {
    SetPropA(page_, kPageLinkProperty, reinterpret_cast<HANDLE>(target));
}

DeskletToken Win32DialogControls::link() {
    return reinterpret_cast<DeskletToken>(GetPropA(page_, kPageLinkProperty));
}

void Win32DialogControls::removeLink() {
    RemovePropA(page_, kPageLinkProperty);
}

}  // namespace tideglass::win32
