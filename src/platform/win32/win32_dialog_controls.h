// The dialog-controls port over a live page window: dialog-item texts, numbers and check boxes,
// and the "lpData" window property that links the page to its desklet.
#pragma once

#include <windows.h>

#include "pages/dialog_controls.h"

namespace tideglass::win32 {

constexpr char kPageLinkProperty[] = "lpData";

class Win32DialogControls : public DialogControls {
public:
    explicit Win32DialogControls(HWND page) : page_(page) {}

    void setText(int id, const std::string& text) override;
    std::string getText(int id, std::size_t maxChars) override;
    void setUnsigned(int id, uint32_t value) override;
    std::optional<uint32_t> getUnsigned(int id) override;
    void setChecked(int id, bool checked) override;
    bool isChecked(int id) override;
    void setLink(DeskletToken target) override;
    DeskletToken link() override;
    void removeLink() override;

private:
    HWND page_;
};

}  // namespace tideglass::win32
