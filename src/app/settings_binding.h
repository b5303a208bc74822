#pragma once

#include "base/settings.h"

#include <QObject>

class MainMenu;
class QAbstractButton;
class QAction;
class QSlider;
class WindowOptions;

// Shows the settings in the controls that edit them, both ways: the option
// boxes of the options page and the menu's checks.  A control changed by the
// user or by code sets its option; an option set by code shows in every
// control of it.  Writing back a value an option already has changes nothing,
// so the two directions never chase each other.
class SettingsBinding : public QObject
{
    Q_OBJECT
public:
    SettingsBinding(Settings &settings, WindowOptions &options, MainMenu &menu,
                    QObject *parent = nullptr);

private:
    void bind(QAbstractButton *box, Settings::Option option);
    void bind(QAction *entry, Settings::Option option);
    void bind(QSlider *slider, Settings::Option option);
    void bindFitRule(WindowOptions &options);

    Settings &settings_;
};
