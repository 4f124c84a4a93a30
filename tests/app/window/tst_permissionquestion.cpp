#include "session/permissionquestion.h"
#include "core/machinesettings.h"
#include "core/settingsstore.h"
#include "desktoprecorder.h"
#include "tempprogramfolder.h"

#include <QTest>

// The "Permission Denied" question is the caller's: the machine store reports a refused write,
// and the question decides through Desktop whether to try again.
class TestPermissionQuestion : public QObject {
    Q_OBJECT
private slots:
    void storedWriteAsksNothing();
    void retryRepeatsTheWrite();
    void ignoreSilencesLaterFailures();
    void abortAsksAgainNextTime();
    void anyWriteCanBeAskedFor();
};

namespace {
// A machine store whose next `failures` writes are refused.
class FlakyStore : public SettingsStore {
public:
    explicit FlakyStore(SettingsStore &inner)
        : m_inner(inner) {}
    int failures = 0;
    int attempts = 0;
    QString read(const QString &app, const QString &section, const QString &key,
                 const QString &defaultValue) const override {
        return m_inner.read(app, section, key, defaultValue);
    }
    bool write(const QString &app, const QString &section, const QString &key,
               const QString &value) override {
        ++attempts;
        if (failures > 0) {
            --failures;
            return false;
        }
        return m_inner.write(app, section, key, value);
    }

private:
    SettingsStore &m_inner;
};

const QString kPermissionText =
    "Kestrin requires read/write access to the system registry and hard drive in order to run "
    "properly.  This user account does not have the proper permissions set.  As a result some "
    "or all of your settings may not be properly saved.  Please contact your system "
    "administrator or change the permission settings for this account.\r\n\r\nIf you would "
    "like to prevent this error message from being displayed again, please press 'Ignore'.";

QString ignoreFlag(TempProgramFolder &temp) {
    return temp.userStore().read("Kestrin", "Settings", "IgnorePermissionDeniedError", "0");
}
} // namespace

void TestPermissionQuestion::storedWriteAsksNothing() {
    TempProgramFolder temp;
    DesktopRecorder desktop;
    MachineSettings settings(temp.machineStore(), temp.userStore(), "Co", "Kestrin");
    QVERIFY(PermissionQuestion(settings, desktop).save("Kestrin", "Settings", "txtMake", "w"));
    QVERIFY(desktop.messages.isEmpty());
    QCOMPARE(settings.getMachineSetting("Kestrin", "Settings", "txtMake", "").value(), "w");
}

void TestPermissionQuestion::retryRepeatsTheWrite() {
    TempProgramFolder temp;
    DesktopRecorder desktop;
    FlakyStore store(temp.machineStore());
    store.failures = 2;
    desktop.answers = {Desktop::Answer::Retry, Desktop::Answer::Retry};
    MachineSettings settings(store, temp.userStore(), "Co", "Kestrin");
    QVERIFY(PermissionQuestion(settings, desktop).save("Kestrin", "Settings", "txtMake", "word"));

    QCOMPARE(store.attempts, 3);
    QCOMPARE(desktop.messages.size(), 2);
    QCOMPARE(desktop.messages.at(0).title, QString("Permission Denied"));
    QCOMPARE(desktop.messages.at(0).text, kPermissionText);
    QCOMPARE(desktop.messages.at(0).buttons, Desktop::Buttons::AbortRetryIgnore);
    QCOMPARE(settings.getMachineSetting("Kestrin", "Settings", "txtMake", "").value(), "word");
    QCOMPARE(ignoreFlag(temp), QString("0"));
}

void TestPermissionQuestion::ignoreSilencesLaterFailures() {
    TempProgramFolder temp;
    DesktopRecorder desktop;
    FlakyStore store(temp.machineStore());
    store.failures = 1;
    desktop.answers = {Desktop::Answer::Ignore};
    MachineSettings settings(store, temp.userStore(), "Co", "Kestrin");
    PermissionQuestion question(settings, desktop);
    QVERIFY(!question.save("Kestrin", "Settings", "txtMake", "word"));
    QCOMPARE(store.attempts, 1);
    QCOMPARE(desktop.messages.size(), 1);
    QCOMPARE(ignoreFlag(temp), QString("1"));

    store.failures = 5;
    QVERIFY(!question.save("Kestrin", "Settings", "txtMake", "other"));
    QCOMPARE(desktop.messages.size(), 1);
    QCOMPARE(store.attempts, 2);
    QCOMPARE(settings.getMachineSetting("Kestrin", "Settings", "txtMake", "none").value(), "none");
}

void TestPermissionQuestion::abortAsksAgainNextTime() {
    TempProgramFolder temp;
    DesktopRecorder desktop;
    FlakyStore store(temp.machineStore());
    store.failures = 2;
    desktop.answers = {Desktop::Answer::Abort, Desktop::Answer::Abort};
    MachineSettings settings(store, temp.userStore(), "Co", "Kestrin");
    PermissionQuestion question(settings, desktop);
    QVERIFY(!question.save("Kestrin", "Settings", "a", "1"));
    QVERIFY(!question.save("Kestrin", "Settings", "b", "1"));
    QCOMPARE(store.attempts, 2);
    QCOMPARE(desktop.messages.size(), 2);
    QCOMPARE(ignoreFlag(temp), QString("0"));
}

void TestPermissionQuestion::anyWriteCanBeAskedFor() {
    // The generator window hands in its own setter; a retry calls it again.
    TempProgramFolder temp;
    DesktopRecorder desktop;
    desktop.answers = {Desktop::Answer::Retry};
    MachineSettings settings(temp.machineStore(), temp.userStore(), "Co", "Kestrin");
    int calls = 0;
    QVERIFY(PermissionQuestion(settings, desktop).save([&]() -> Result<> {
        if (++calls == 1)
            return Error{"save the machine setting", "Co/Kestrin/Settings/x", "refused"};
        return {};
    }));
    QCOMPARE(calls, 2);
    QCOMPARE(desktop.messages.size(), 1);
}

QTEST_APPLESS_MAIN(TestPermissionQuestion)
#include "tst_permissionquestion.moc"
