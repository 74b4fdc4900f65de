// A backup that ended early continues after its last saved preset: aborted
// with Ctrl+C in the window, or its process killed outright. The folder is then
// what an uninterrupted run leaves, byte for byte.
#include "model/backup_journal.h"
#include "tests/app/window/unit_run_fixture.h"

#include "explorer/msg_buf_memo.h"

#include <QProcess>
#include <QRegularExpression>

namespace {

class BackupResumeTest : public UnitRunTest {
protected:
    void TearDown() override {
        window.reset();
        MainWindowTest::TearDown();
    }
    // "Preset #N received" lines of the log (or of a child's output), in order.
    static std::vector<int> Received(const QStringList& lines) {
        static const QRegularExpression received("^Preset #(\\d+) (received|is untitled)");
        std::vector<int> numbers;
        for (const QString& line : lines)
            if (const auto m = received.match(line); m.hasMatch())
                numbers.push_back(m.captured(1).toInt());
        return numbers;
    }
    std::optional<TBackupJournal> Journal(const QString& folder) const {
        return ReadBackupJournal(QFile::encodeName(folder).toStdString());
    }
    // Runs a whole backup into folder in this process.
    void Backup(const std::string& banks, int first, int last, const QString& folder) {
        AnswerRun(banks, first, last, folder);
        window->StartBackup(true);
        ASSERT_TRUE(WaitForRunEnd(30000));
    }
};

TEST_F(BackupResumeTest, AnAbortedRunContinuesAfterItsLastPresetWhenAsked) {
    auto& w = StartOnUnitWith();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    // The run goes on inside the waits of the program; Ctrl+C comes during one,
    // once four presets are in, where the user types: the message buffer.
    QTimer abort;
    QObject::connect(&abort, &QTimer::timeout, &w, [&] {
        if (w.BackupRun().RunPresetsDone < 4)
            return;
        abort.stop();
        QTest::keyClick(w.memMsgBuf, Qt::Key_C, Qt::ControlModifier);
    });
    abort.start(1);
    AnswerRun("AB", 1, 6, Out());
    w.StartBackup(true);
    WaitForRunEnd(20000);
    ASSERT_FALSE(w.BackupRun().RunActive);
    Wait(100); // the log shows its last lines
    const auto journal = Journal(Out());
    ASSERT_TRUE(journal) << Log().join("\n").toStdString();
    const std::vector<int> first = Received(Log());
    EXPECT_EQ(journal->LastBank, 0);
    EXPECT_EQ(journal->LastNumber, first.back());
    const int stoppedAt = first.back();
    ASSERT_LT(stoppedAt, 6);

    // The same choices again: continue after it.
    const int mark = w.LogCount();
    dialogs.service.ClearHistory();
    AnswerRun("AB", 1, 6, Out());
    dialogs.service.QueueResult(mrYes);
    w.StartBackup(true);
    ASSERT_TRUE(WaitForRunEnd(30000));
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[0].caption, "Continue backup");
    EXPECT_EQ(Messages()[0].text,
              QString("A backup into this folder with the same choices ended early, after "
                      "preset A %1.\n\nYes continues after it; No runs the whole backup again.")
                  .arg(stoppedAt, 3, 10, QChar('0')));
    EXPECT_EQ(Messages()[1].text, "Procedure is complete");
    const QStringList again = Log().mid(mark);
    EXPECT_TRUE(
        again.contains(QString("Continuing after preset A %1").arg(stoppedAt, 3, 10, QChar('0'))));
    std::vector<int> rest;
    for (int n = stoppedAt + 1; n <= 6; ++n)
        rest.push_back(n);
    for (int n = 1; n <= 6; ++n)
        rest.push_back(n);
    EXPECT_EQ(Received(again), rest);
    EXPECT_FALSE(Journal(Out()));

    // The folder is what one whole run leaves.
    const QString whole = dir.filePath("whole");
    Backup("AB", 1, 6, whole);
    EXPECT_EQ(Tree(Out()), Tree(whole));
}

TEST_F(BackupResumeTest, OtherChoicesOrNoRunTheWholeBackup) {
    auto& w = StartOnUnitWith();
    // A journal left by a run of banks A and B, 1..6, stopped after A 003.
    ASSERT_TRUE(QDir().mkpath(Out()));
    TBackupChoices choices;
    choices.Banks = {true, true, false, false};
    choices.First = 1;
    choices.Last = 6;
    WriteBackupJournal(QFile::encodeName(Out()).toStdString(), {choices, 0, 3});

    // Another range: nothing is asked and the run starts at the beginning.
    Backup("AB", 1, 5, Out());
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Received(Log()).front(), 1);
    EXPECT_FALSE(Journal(Out()));

    WriteBackupJournal(QFile::encodeName(Out()).toStdString(), {choices, 0, 3});
    int mark = w.LogCount();
    dialogs.service.ClearHistory();
    AnswerRun("AB", 1, 6, Out());
    dialogs.service.QueueResult(mrNo);
    w.StartBackup(true);
    ASSERT_TRUE(WaitForRunEnd(30000));
    EXPECT_EQ(Messages()[0].caption, "Continue backup");
    EXPECT_EQ(Received(Log().mid(mark)).size(), 12u);
    EXPECT_EQ(Received(Log().mid(mark)).front(), 1);

    // Cancel at the question: nothing runs and the journal stays for later.
    WriteBackupJournal(QFile::encodeName(Out()).toStdString(), {choices, 1, 2});
    mark = w.LogCount();
    AnswerRun("AB", 1, 6, Out());
    dialogs.service.QueueResult(mrCancel);
    w.StartBackup(true);
    EXPECT_FALSE(w.BackupRun().RunActive);
    EXPECT_EQ(Status(), "Procedure cancelled");
    EXPECT_TRUE(Received(Log().mid(mark)).empty());
    ASSERT_TRUE(Journal(Out()));
    EXPECT_EQ(Journal(Out())->LastNumber, 2);
}

// Runs the backup in a child process; output collects what it printed.
class ChildRun {
public:
    ChildRun(const QString& state, const QString& settings, const QString& folder, bool answerYes) {
        process_.setProgram(HRZ_BACKUP_CHILD);
        process_.setArguments({state, settings, folder, "AB", "1", "40", answerYes ? "yes" : "no"});
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start();
    }
    ~ChildRun() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    QStringList Lines() {
        output_ += QString::fromLocal8Bit(process_.readAllStandardOutput());
        return output_.split('\n', Qt::SkipEmptyParts);
    }
    bool WaitFor(const std::function<bool()>& done, int ms) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms && process_.state() != QProcess::NotRunning)
            process_.waitForReadyRead(20);
        return done();
    }
    // SIGKILL: no handler, no clean-up.
    void Kill() {
        process_.kill();
        process_.waitForFinished(5000);
    }
    int Finish(int ms) {
        process_.waitForFinished(ms);
        Lines();
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }

private:
    QProcess process_;
    QString output_;
};

TEST_F(BackupResumeTest, ARunKilledHalfwayContinuesAfterItsLastSavedPreset) {
    {
        THrzUnitMemory memory(false);
        SaveUnitMemory(dir.filePath("unit.state").toStdString(), memory);
    }
    const QString state = dir.filePath("unit.state");
    const QString settings = dir.filePath("child.ini");
    const QString folder = Out();
    {
        ChildRun run(state, settings, folder, true);
        ASSERT_TRUE(run.WaitFor([&] { return Received(run.Lines()).size() >= 40; }, 60000))
            << run.Lines().join("\n").toStdString();
        run.Kill();
    }
    const auto journal = Journal(folder);
    ASSERT_TRUE(journal);
    ASSERT_GE(journal->LastBank, 0);
    const int done = journal->LastBank * 40 + journal->LastNumber;
    EXPECT_GE(done, 40);
    EXPECT_LT(done, 80);

    std::vector<int> expected;
    for (int i = done; i < 80; ++i)
        expected.push_back(i % 40 + 1);
    {
        ChildRun again(state, settings, folder, true);
        ASSERT_EQ(again.Finish(60000), 0) << again.Lines().join("\n").toStdString();
        const QStringList lines = again.Lines();
        EXPECT_TRUE(lines.contains(QString("Continuing after preset %1 %2")
                                       .arg(QChar('A' + journal->LastBank))
                                       .arg(journal->LastNumber, 3, 10, QChar('0'))))
            << lines.join("\n").toStdString();
        EXPECT_EQ(Received(lines), expected);
    }
    EXPECT_FALSE(Journal(folder));

    const QString whole = dir.filePath("whole");
    {
        ChildRun uninterrupted(state, settings, whole, true);
        ASSERT_EQ(uninterrupted.Finish(60000), 0);
    }
    const auto resumed = Tree(folder);
    EXPECT_EQ(resumed.size(), Tree(whole).size());
    EXPECT_GT(resumed.size(), 70u); // 80 presets, a few of them untitled
    EXPECT_TRUE(resumed == Tree(whole));
}

} // namespace
