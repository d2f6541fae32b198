#include "pages/font_and_colors_page.h"

#include "desklet/configurable.h"
#include "pages/dialog_controls.h"
#include "pages/field_values.h"
#include "pages/page_guard.h"
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

void FontAndColorsPage::open(Configurable* target) {
    runPageStep(ui_, kPageOpenContext, [&] {
        controls_.setLink(target);
        Configurable* desklet = controls_.link();
        if (!desklet)
            return;
        Settings copy = desklet->currentSettings();
        for (const auto& box : kSwitches)
            controls_.setChecked(box.id, copy.integer(box.key) != 0);
        controls_.setUnsigned(IDC_TRANSPARENCY, alphaOf(copy.integer(keys::kBackgroundColor)));
        // "Show non-OEM fonts too" is not a setting: it starts unchecked with every page.
    });
}

void FontAndColorsPage::apply() {
    runPageStep(ui_, kPageUpdateContext, [&] {
        Configurable* desklet = controls_.link();
        if (!desklet)
            return;
        Settings copy = desklet->currentSettings();
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
        desklet->applyConfiguration(copy, flags);
    });
}

void FontAndColorsPage::buttonClicked(int id) {
    if (!isChooserButton(id))
        return;
    runPageStep(ui_, kPageUpdateContext, [&] {
        Configurable* desklet = controls_.link();
        if (!desklet)
            return;
        switch (id) {
            case IDC_TEXT_COLOR:
                chooseTextColor(*desklet);
                break;
            case IDC_BACKGROUND_COLOR:
                chooseBackgroundColor(*desklet);
                break;
            case IDC_FONT:
                chooseFont(*desklet);
                break;
        }
    });
}

// Each chooser copies the live settings at the click, so only its own setting changes; what is
// typed on the page but not applied yet stays in the controls.
void FontAndColorsPage::chooseTextColor(Configurable& desklet) {
    Settings copy = desklet.currentSettings();
    int32_t& color = copy.integer(keys::kTextColor);
    const auto chosen = choosers_.chooseColor(colorRefOf(color), moduleCustomColors());
    if (!chosen)
        return;
    // Stored whole: the top byte plays no part in drawing text and becomes 0.
    color = storedNumber(*chosen);
    desklet.applyConfiguration(copy, kRenderingChange);
}

void FontAndColorsPage::chooseBackgroundColor(Configurable& desklet) {
    Settings copy = desklet.currentSettings();
    int32_t& color = copy.integer(keys::kBackgroundColor);
    const auto chosen = choosers_.chooseColor(colorRefOf(color), moduleCustomColors());
    if (!chosen)
        return;
    color = withColorRef(color, *chosen);  // the alpha byte is the Transparency field's
    desklet.applyConfiguration(copy, kRenderingChange);
}

void FontAndColorsPage::chooseFont(Configurable& desklet) {
    Settings copy = desklet.currentSettings();
    // The chooser starts on the OEM character set, whose fonts can draw the console's
    // line-drawing characters; with non-OEM fonts shown it is only the initial script.
    copy.font.charSet = kOemCharset;
    if (!choosers_.chooseFont(copy.font, controls_.isChecked(IDC_SHOW_NON_OEM_FONTS)))
        return;
    desklet.applyConfiguration(copy, kRenderingChange);
}

void FontAndColorsPage::close() {
    runPageStep(ui_, kPageUpdateContext, [&] { controls_.removeLink(); });
}

}  // namespace tideglass
