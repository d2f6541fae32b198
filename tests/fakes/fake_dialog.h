// A page window in memory: field texts, check boxes and the "lpData" link, with the platform's
// unsigned dialog-number rules (leading blanks skipped; empty, letters, a sign or more than
// 4294967295 fail).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "pages/dialog_controls.h"

namespace tideglass::fakes {

std::optional<uint32_t> parseDialogUnsigned(const std::string& text);

class FakeDialog : public DialogControls {
public:
    void setText(int id, const std::string& text) override;
    std::string getText(int id, std::size_t maxChars) override;
    void setUnsigned(int id, uint32_t value) override;
    std::optional<uint32_t> getUnsigned(int id) override;
    void setChecked(int id, bool checked) override;
    bool isChecked(int id) override;
    void setLink(DeskletToken target) override;
    DeskletToken link() override;
    void removeLink() override;

    std::map<int, std::string> texts;
    std::map<int, bool> checks;
    DeskletToken linked = 0;
    bool hasLink = false;
    // Ids in the order the page wrote them.
    std::vector<int> written;
    // Set to make every read of the link throw, as a failing platform call would.
    bool failLinkRead = false;
};

}  // namespace tideglass::fakes
