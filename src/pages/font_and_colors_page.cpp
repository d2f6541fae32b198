#include "pages/font_and_colors_page.h"

#include "desklet/configurable.h"
#include "desklet/live_desklets.h"
#include "pages/dialog_controls.h"
#include "pages/field_values.h"
#include "desklet/renderer_settings.h"
#include "pages/page_guard.h"
#include "pages/preview.h"
#include "pages/resource.h"
#include "settings/keys.h"

namespace tideglass {
namespace {

struct Switch {
    int id;
    const char* key;
};

// The order in which the boxes are filled and applied.
constexpr Switch kSwitches[] = {
    {IDC_IGNORE_FG_COLORS, keys::kIgnoreFgColors},
    {IDC_IGNORE_BG_COLORS, keys::kIgnoreBgColors},
    {IDC_IGNORE_STYLE, keys::kIgnoreStyle},
    {IDC_INVERT_COLORS, keys::kInvertColors},
    {IDC_BLACK_IS_TRANSPARENT, keys::kBlackIsTransparent},
};

}  // namespace

CustomColors& moduleCustomColors() {
    static CustomColors colors{};  // black until the user defines some
    return colors;
}

bool FontAndColorsPage::isChooserButton(int id) {
    return id == IDC_TEXT_COLOR || id == IDC_BACKGROUND_COLOR || id == IDC_FONT;
}

bool FontAndColorsPage::changesPreview(int id) {
    for (const auto& box : kSwitches)
        if (box.id == id)
            return true;
    return id == IDC_TRANSPARENCY;
}

void FontAndColorsPage::open(DeskletToken target) {
    runPageStep(ui_, kPageOpenContext, [&] {
        controls_.setLink(target);
        HeldDesklet desklet(controls_.link());
        if (!desklet)
            return;
        Settings copy = desklet->currentSettings();
        for (const auto& box : kSwitches)
            controls_.setChecked(box.id, copy.integer(box.key) != 0);
        controls_.setUnsigned(IDC_TRANSPARENCY, alphaOf(copy.integer(keys::kBackgroundColor)));
        // "Show non-OEM fonts too" is not a setting: it starts unchecked with every page.
    });
    showPreview();
}

ChangeFlags FontAndColorsPage::takeControls(Settings& copy) {
    ChangeFlags flags = 0;
    int32_t& background = copy.integer(keys::kBackgroundColor);
    const auto transparency = controls_.getUnsigned(IDC_TRANSPARENCY);
    if (transparency && *transparency != alphaOf(background)) {
        background = withAlpha(background, *transparency);
        flags |= kRenderingChange;
    }
    for (const auto& box : kSwitches) {
        // Compared as integers: a hand-edited 2 shows checked and is rewritten as 1.
        const int32_t state = controls_.isChecked(box.id) ? 1 : 0;
        int32_t& stored = copy.integer(box.key);
        if (state != stored) {
            stored = state;
            flags |= kRenderingChange;
        }
    }
    return flags;
}

void FontAndColorsPage::showPreview() {
    if (preview_ == nullptr)
        return;
    try {
        HeldDesklet desklet(controls_.link());
        if (!desklet)
            return;
        Settings copy = desklet->currentSettings();
        takeControls(copy);
        drawPreview(previewConfig(rendererConfigFromSettings(copy)), *preview_);
    } catch (...) {
        // Only a picture: one that cannot be drawn keeps the last one, without a box on every
        // keystroke.
    }
}

void FontAndColorsPage::apply() {
    runPageStep(ui_, kPageUpdateContext, [&] {
        HeldDesklet desklet(controls_.link());
        if (!desklet)
            return;
        Settings copy = desklet->currentSettings();
        const ChangeFlags flags = takeControls(copy);
        desklet->applyConfiguration(copy, flags);
    });
}

void FontAndColorsPage::buttonClicked(int id) {
    if (!isChooserButton(id))
        return;
    runPageStep(ui_, kPageUpdateContext, [&] {
        Settings shown;
        {
            HeldDesklet desklet(controls_.link());
            if (!desklet)
                return;
            shown = desklet->currentSettings();
        }
        switch (id) {
            case IDC_TEXT_COLOR:
                chooseTextColor(shown);
                break;
            case IDC_BACKGROUND_COLOR:
                chooseBackgroundColor(shown);
                break;
            case IDC_FONT:
                chooseFont(shown);
                break;
        }
    });
}

// The choosers are not owned by the sheet: while one is open the other page can apply, and the
// host can even destroy the widget. So the desklet is looked up again once a value was chosen,
// and the copy is taken from its live settings then; only the chooser's own setting changes.
// What is typed on this page but not applied yet stays in the controls.
void FontAndColorsPage::applyChosen(const std::function<void(Settings&)>& change) {
    HeldDesklet desklet(controls_.link());
    if (!desklet)
        return;
    Settings copy = desklet->currentSettings();
    change(copy);
    desklet->applyConfiguration(copy, kRenderingChange);
    showPreview();
}

void FontAndColorsPage::chooseTextColor(Settings& shown) {
    const int32_t color = shown.integer(keys::kTextColor);
    const auto chosen = choosers_.chooseColor(colorRefOf(color), moduleCustomColors());
    if (!chosen)
        return;
    // Stored whole: the top byte plays no part in drawing text and becomes 0.
    applyChosen([&](Settings& copy) { copy.integer(keys::kTextColor) = storedNumber(*chosen); });
}

void FontAndColorsPage::chooseBackgroundColor(Settings& shown) {
    const int32_t color = shown.integer(keys::kBackgroundColor);
    const auto chosen = choosers_.chooseColor(colorRefOf(color), moduleCustomColors());
    if (!chosen)
        return;
    applyChosen([&](Settings& copy) {
        int32_t& stored = copy.integer(keys::kBackgroundColor);
        stored = withColorRef(stored, *chosen);  // the alpha byte is the Transparency field's
    });
}

void FontAndColorsPage::chooseFont(Settings& shown) {
    FontBlock font = shown.font;
    // The chooser starts on the OEM character set, whose fonts can draw the console's
    // line-drawing characters; with non-OEM fonts shown it is only the initial script.
    font.charSet = kOemCharset;
    if (!choosers_.chooseFont(font, controls_.isChecked(IDC_SHOW_NON_OEM_FONTS)))
        return;
    applyChosen([&](Settings& copy) { copy.font = font; });
}

void FontAndColorsPage::close() {
    runPageStep(ui_, kPageUpdateContext, [&] { controls_.removeLink(); });
}

}  // namespace tideglass
