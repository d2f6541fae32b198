// Dialog-controls port: what a configuration page needs of its page window - the fields and
// check boxes addressed by control id, and the "lpData" link to the desklet it configures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "desklet/live_desklets.h"

namespace tideglass {

class DialogControls {
public:
    DialogControls() = default;
    DialogControls(const DialogControls&) = delete;
    DialogControls& operator=(const DialogControls&) = delete;
    virtual ~DialogControls() = default;

    virtual void setText(int id, const std::string& text) = 0;
    // At most `maxChars` characters; longer text is cut.
    virtual std::string getText(int id, std::size_t maxChars) = 0;
    // Unsigned decimal, as the platform writes and reads dialog numbers. getUnsigned fails
    // (nullopt) for an empty field, letters, a minus sign and numbers above 4294967295.
    virtual void setUnsigned(int id, uint32_t value) = 0;
    virtual std::optional<uint32_t> getUnsigned(int id) = 0;
    virtual void setChecked(int id, bool checked) = 0;
    virtual bool isChecked(int id) = 0;

    // The page window's link to the desklet it edits; 0 when there is none.
    virtual void setLink(DeskletToken target) = 0;
    virtual DeskletToken link() = 0;
    virtual void removeLink() = 0;
};

}  // namespace tideglass
