#include "app/settings_binding.h"

#include "input/main_menu.h"
#include "panels/window_options.h"

#include <QAction>
#include <QCheckBox>
#include <QRadioButton>
#include <QSlider>

SettingsBinding::SettingsBinding(Settings &settings, WindowOptions &options, MainMenu &menu,
                                 QObject *parent)
    : QObject(parent), settings_(settings)
{
    bind(options.check_resume, Settings::Resume);
    bind(options.Check_noTaskbar, Settings::NoTaskBar);
    bind(options.Check_auto_hide, Settings::AutoListHide);
    bind(options.Check_show_popup, Settings::HidePopup);
    bind(options.Check_SeekTop, Settings::SeekTop);
    bind(options.Check_original, Settings::OriginalSize);
    bind(menu.original, Settings::OriginalSize);
    bind(options.Check_temae, Settings::Temae);
    bind(menu.m_temae, Settings::Temae);
    bind(options.Scroll_upper, Settings::UpperClip);
    bind(options.scroll_under, Settings::UnderClip);
    bind(options.Check_imagedirchange, Settings::ImagePathRoot);
    bind(options.Check_soutai, Settings::Soutai);
    bind(options.Check_more_formats, Settings::MoreFormats);
    bind(options.Check_resume_each, Settings::ResumeEach);
    bind(options.Check_seek_preview, Settings::SeekPreview);
    bindFitRule(options);
}

// Each control follows its option for as long as the control lives.
void SettingsBinding::bind(QAbstractButton *box, Settings::Option option)
{
    box->setChecked(settings_.value(option) != 0);
    connect(box, &QAbstractButton::toggled, &settings_,
            [settings = &settings_, option](bool on) { settings->set(option, on); });
    connect(&settings_, &Settings::changed, box,
            [settings = &settings_, box, option](Settings::Option changed) {
                if (changed == option)
                    box->setChecked(settings->value(option) != 0);
            });
}

void SettingsBinding::bind(QAction *entry, Settings::Option option)
{
    entry->setChecked(settings_.value(option) != 0);
    connect(entry, &QAction::toggled, &settings_,
            [settings = &settings_, option](bool on) { settings->set(option, on); });
    connect(&settings_, &Settings::changed, entry,
            [settings = &settings_, entry, option](Settings::Option changed) {
                if (changed == option)
                    entry->setChecked(settings->value(option) != 0);
            });
}

// A slider keeps a value inside its range; the option takes the value the
// slider shows.
void SettingsBinding::bind(QSlider *slider, Settings::Option option)
{
    slider->setValue(settings_.value(option));
    settings_.set(option, slider->value());
    connect(slider, &QSlider::valueChanged, &settings_,
            [settings = &settings_, option](int value) { settings->set(option, value); });
    connect(&settings_, &Settings::changed, slider,
            [settings = &settings_, slider, option](Settings::Option changed) {
                if (changed == option)
                    slider->setValue(settings->value(option));
            });
}

// Three option buttons for one value: the one turned on sets it.  A rule
// outside 0-2 turns all three off and stays as it is.
void SettingsBinding::bindFitRule(WindowOptions &options)
{
    options.setFitRule(settings_.fitRule());
    QRadioButton *const buttons[] = {options.check_auto_adjust, options.Keep_Aspect,
                                     options.use_fullWindow};
    for (int rule = 0; rule < 3; ++rule)
        connect(buttons[rule], &QRadioButton::toggled, &settings_,
                [settings = &settings_, rule](bool on) {
                    if (on)
                        settings->set(Settings::AutoAdjust, rule);
                });
    connect(&settings_, &Settings::changed, &options,
            [settings = &settings_, &options](Settings::Option changed) {
                if (changed == Settings::AutoAdjust)
                    options.setFitRule(settings->fitRule());
            });
}
