// The real program, started as a user starts it, in a home folder of its own:
// it reaches its first paint and quits cleanly, also when the virtual unit's
// memory file is damaged (which is set aside, not lost), and a refused option
// ends it at once.
#include "controls/first_paint_probe.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct TStart {
    int ExitCode = -1;
    bool Finished = false;
    QString Output;
};

TStart StartProgram(const QString& home, const QStringList& arguments = {},
                    const QString& programPath = HRZ_PROGRAM) {
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/config");
    env.insert("XDG_DATA_HOME", home + "/data");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert(kExitAtFirstPaintVariable, "1");
    env.insert("JACK_DEFAULT_SERVER", "hrz-start-test-none"); // no JACK server of the machine
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(programPath, arguments);
    TStart result;
    result.Finished = program.waitForFinished(60000);
    if (!result.Finished)
        program.kill();
    result.ExitCode = program.exitCode();
    result.Output = QString::fromLocal8Bit(program.readAll());
    return result;
}

} // namespace

TEST(ProgramStart, AFreshHomeAndADamagedUnitMemoryStillReachTheFirstPaint) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const TStart fresh = StartProgram(home.path());
    ASSERT_TRUE(fresh.Finished) << fresh.Output.toStdString();
    EXPECT_EQ(fresh.ExitCode, 0) << fresh.Output.toStdString();
    EXPECT_TRUE(fresh.Output.contains(kFirstPaintLine)) << fresh.Output.toStdString();

    const QString state = home.path() + "/data/HRZ2000e/virtual-unit.state";
    ASSERT_TRUE(QDir().mkpath(home.path() + "/data/HRZ2000e"));
    QFile damaged(state);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("not the unit's memory");
    damaged.close();
    const TStart again = StartProgram(home.path());
    ASSERT_TRUE(again.Finished) << again.Output.toStdString();
    EXPECT_EQ(again.ExitCode, 0) << again.Output.toStdString();
    EXPECT_TRUE(QFile::exists(state + ".damaged"));
}

TEST(ProgramStart, ARefusedOptionEndsAtOnceWhileTheStartUpWorkerRuns) {
    // Refused after the window system started, with the worker still busy:
    // it is told to stop waiting and finishes before the application goes.
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const TStart refused = StartProgram(home.path(), {"--no-such-option"});
    ASSERT_TRUE(refused.Finished) << refused.Output.toStdString();
    EXPECT_EQ(refused.ExitCode, 2) << refused.Output.toStdString();
    EXPECT_TRUE(refused.Output.contains("Usage: hrz2000e")) << refused.Output.toStdString();
    EXPECT_FALSE(refused.Output.contains(kFirstPaintLine));
}

TEST(ProgramStart, WithoutItsMidiModuleTheProgramRunsWithTheVirtualUnitAndSaysWhy) {
    QTemporaryDir home, folder;
    ASSERT_TRUE(home.isValid() && folder.isValid());
    const QString copy = folder.filePath("hrz2000e");
    ASSERT_TRUE(QFile::copy(HRZ_PROGRAM, copy));
    const TStart start = StartProgram(home.path(), {}, copy);
    ASSERT_TRUE(start.Finished) << start.Output.toStdString();
    EXPECT_EQ(start.ExitCode, 0) << start.Output.toStdString();
    EXPECT_TRUE(start.Output.contains(kFirstPaintLine)) << start.Output.toStdString();
    EXPECT_TRUE(start.Output.contains("No MIDI interface can be used: cannot load " +
                                      folder.filePath("hrz2000e-rtmidi")))
        << start.Output.toStdString();
}

TEST(ProgramStart, NoSettingValueLocksTheUserOutAndTheDefaultIsSaid) {
    for (const char* bad :
         {"MIDI_OUT_CH=abc", "DBL_CLICK_FILE_ACTION=abc", "PRE_EXPRESS=maybe", "VERIFY_STORE=yes",
          "DBL_CLICK_LOG_ACTION=1.5", "MIDI_OUT_CH=99999999999999999999"}) {
        SCOPED_TRACE(bad);
        QTemporaryDir home;
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(QDir().mkpath(home.path() + "/config/Lumivale"));
        QFile ini(home.path() + "/config/Lumivale/HRZ2000e.ini");
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QByteArray("[SOFTWARE\\Lumivale/HRZ2000e]\n") + bad + "\n");
        ini.close();
        const QString name = QString(bad).section('=', 0, 0);
        const QString value = QString(bad).section('=', 1);
        for (int start = 0; start < 2; ++start) {
            const TStart run = StartProgram(home.path());
            ASSERT_TRUE(run.Finished) << run.Output.toStdString();
            EXPECT_EQ(run.ExitCode, 0) << run.Output.toStdString();
            EXPECT_TRUE(run.Output.contains(kFirstPaintLine)) << run.Output.toStdString();
            // Said at the first start only: the next save wrote the default.
            EXPECT_EQ(run.Output.contains(QString("hrz2000e: Settings that cannot be used were "
                                                  "replaced by their defaults")),
                      start == 0)
                << run.Output.toStdString();
            if (start == 0)
                EXPECT_TRUE(run.Output.contains(name + "=\"" + value + "\" (default "))
                    << run.Output.toStdString();
        }
    }
}
