#include "pages/console_settings_page.h"

#include <string>

#include "desklet/configurable.h"
#include "desklet/live_desklets.h"
#include "pages/dialog_controls.h"
#include "pages/field_values.h"
#include "pages/page_guard.h"
#include "pages/resource.h"
#include "settings/keys.h"

namespace tideglass {
namespace {

// The text fields are read through a 32768-byte buffer of single-byte characters.
constexpr std::size_t kMaxFieldText = 32767;

struct NumberField {
    int id;
    const char* key;
    ChangeFlags change;
};

// Columns and rows first, then (after the texts) the poll interval and the margins: the order in
// which the fields are compared and written.
constexpr NumberField kSizeFields[] = {
    {IDC_COLUMNS, keys::kColumns, kConsoleSizeChange},
    {IDC_ROWS, keys::kRows, kConsoleSizeChange},
};
constexpr NumberField kTimingAndMarginFields[] = {
    {IDC_UPDATE_EVERY, keys::kPollInterval, kPollIntervalChange},
    {IDC_LEFT_MARGIN, keys::kLeftMargin, kRenderingChange},
    {IDC_RIGHT_MARGIN, keys::kRightMargin, kRenderingChange},
    {IDC_TOP_MARGIN, keys::kTopMargin, kRenderingChange},
    {IDC_BOTTOM_MARGIN, keys::kBottomMargin, kRenderingChange},
};

struct TextField {
    int id;
    const char* key;
};

constexpr TextField kTextFields[] = {
    {IDC_COMMAND_LINE, keys::kChildAppCmdline},
    {IDC_START_DIRECTORY, keys::kChildAppDir},
};

// A field that does not convert keeps the stored value, without a message.
void applyNumber(DialogControls& controls, Settings& copy, const NumberField& field,
                 ChangeFlags& flags) {
    const auto number = controls.getUnsigned(field.id);
    int32_t& stored = copy.integer(field.key);
    if (number && *number != fieldNumber(stored)) {
        stored = storedNumber(*number);
        flags |= field.change;
    }
}

// An empty field never clears the setting; otherwise any byte difference is a change.
void applyText(DialogControls& controls, Settings& copy, const TextField& field,
               ChangeFlags& flags) {
    std::string text = controls.getText(field.id, kMaxFieldText);
    std::string& stored = copy.text(field.key);
    if (!text.empty() && text != stored) {
        stored = std::move(text);
        flags |= kChildApplicationChange;
    }
}

}  // namespace

void ConsoleSettingsPage::open(DeskletToken target) {
    runPageStep(ui_, kPageOpenContext, [&] {
        controls_.setLink(target);
        HeldDesklet desklet(controls_.link());
        if (!desklet)
            return;
        Settings copy = desklet->currentSettings();
        controls_.setText(IDC_COMMAND_LINE, copy.text(keys::kChildAppCmdline));
        controls_.setText(IDC_START_DIRECTORY, copy.text(keys::kChildAppDir));
        controls_.setUnsigned(IDC_UPDATE_EVERY, fieldNumber(copy.integer(keys::kPollInterval)));
        controls_.setUnsigned(IDC_COLUMNS, fieldNumber(copy.integer(keys::kColumns)));
        controls_.setUnsigned(IDC_ROWS, fieldNumber(copy.integer(keys::kRows)));
        controls_.setUnsigned(IDC_LEFT_MARGIN, fieldNumber(copy.integer(keys::kLeftMargin)));
        controls_.setUnsigned(IDC_RIGHT_MARGIN, fieldNumber(copy.integer(keys::kRightMargin)));
        controls_.setUnsigned(IDC_TOP_MARGIN, fieldNumber(copy.integer(keys::kTopMargin)));
        controls_.setUnsigned(IDC_BOTTOM_MARGIN, fieldNumber(copy.integer(keys::kBottomMargin)));
    });
}

void ConsoleSettingsPage::apply() {
    runPageStep(ui_, kPageUpdateContext, [&] {
        HeldDesklet desklet(controls_.link());
        if (!desklet)
            return;
        Settings copy = desklet->currentSettings();
        ChangeFlags flags = 0;
        for (const auto& field : kSizeFields)
            applyNumber(controls_, copy, field, flags);
        for (const auto& field : kTextFields)
            applyText(controls_, copy, field, flags);
        for (const auto& field : kTimingAndMarginFields)
            applyNumber(controls_, copy, field, flags);
        // Also with no change: the host's sheet expects every apply to reach the desklet.
        desklet->applyConfiguration(copy, flags);
    });
}

void ConsoleSettingsPage::close() {
    runPageStep(ui_, kPageUpdateContext, [&] { controls_.removeLink(); });
}

}  // namespace tideglass
