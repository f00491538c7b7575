#include "timer/run_view.h"

#include "names/main_window.h"
#include "runtime/runtime.h"

using namespace Qt::StringLiterals;

namespace zorvik {
namespace {

bool ticked(const QString& control) {
    return rt::getProperty(kMainWindow, control, rt::slot::Checked).toBool();
}

class MainWindowView : public RunView {
  public:
    bool chosen(RunChoice choice) const override {
        switch (choice) {
            case RunChoice::Countdown:
                return ticked(ctl::kCountdownChoice);
            case RunChoice::CountUp:
                return ticked(ctl::kCountUpChoice);
            case RunChoice::CustomReminders:
                return ticked(ctl::kCustomRemindersBox);
            case RunChoice::TableCommands:
                return ticked(ctl::kCommandSwitch);
            case RunChoice::EndSound:
                return rt::getProperty(kMainWindow, ctl::kEndSoundItem, rt::slot::MenuChecked)
                    .toBool();
        }
        return false;
    }
    QString entry(RunEntry entry) const override {
        const QString* box = nullptr;
        switch (entry) {
            case RunEntry::Hours:
                box = &ctl::kHoursBox;
                break;
            case RunEntry::Minutes:
                box = &ctl::kMinutesBox;
                break;
            case RunEntry::Seconds:
                box = &ctl::kSecondsBox;
                break;
            case RunEntry::IntervalMinutes:
                box = &ctl::kIntervalBox;
                break;
        }
        return rt::getProperty(kMainWindow, *box, rt::slot::EditContent).toString();
    }
    int reminderKindIndex() const override {
        return rt::getProperty(kMainWindow, ctl::kReminderKindList, rt::slot::ComboSelection)
            .toInt();
    }
    const ReminderRows& rows() const override { return reminderRows(); }
    void refreshRows() override { refreshReminderRows(); }

    void showTime(const QString& text) override {
        rt::setProperty(kMainWindow, ctl::kTimeDisplay, rt::slot::LabelCaption, text);
    }
    void showRunState(RunState state) override {
        rt::setProperty(kMainWindow, ctl::kStartButton, rt::slot::ButtonCaption,
                        startCaption(state));
        rt::setProperty(kMainWindow, ctl::kTimeDisplay, rt::slot::LabelColour,
                        state == RunState::Ended ? 255 : 0);  // red at the end
        // What a run was set up with stays as it is until the run is over.
        const bool locked = state == RunState::Running || state == RunState::Paused;
        for (const QString* name :
             {&ctl::kCountdownChoice, &ctl::kCountUpChoice, &ctl::kReminderKindList,
              &ctl::kIntervalBox, &ctl::kCustomRemindersBox, &ctl::kInsertRowButton,
              &ctl::kDeleteRowButton, &ctl::kTable, &ctl::kCommandSwitch})
            rt::setProperty(kMainWindow, *name, rt::slot::Disabled, locked);
    }
    void showRecord(RunRecord record, const QString& text) override {
        rt::setProperty(kMainWindow,
                        record == RunRecord::StartedAt ? ctl::kStartedAt : ctl::kEndedAt,
                        rt::slot::LabelCaption, text);
    }
    void showRecords(bool shown) override {
        rt::setProperty(kMainWindow, ctl::kStartedAt, rt::slot::Visible, shown);
        rt::setProperty(kMainWindow, ctl::kEndedAt, rt::slot::Visible, shown);
    }
    void clearCommandOutput() override {
        rt::setProperty(kMainWindow, ctl::kCommandOutput, rt::slot::EditContent, QString());
    }
};

RunView* replacement = nullptr;

}  // namespace

QString startCaption(RunState state) {
    return state == RunState::Running ? u"暂停"_s : u"开始"_s;
}

RunView& runView() {
    static MainWindowView mainWindow;
    return replacement ? *replacement : mainWindow;
}

void setRunView(RunView* view) {
    replacement = view;
}

}  // namespace zorvik
