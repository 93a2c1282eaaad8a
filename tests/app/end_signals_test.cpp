// The application itself, started as the desktop starts it, ended by the signals a session sends at
// logout or a terminal at Ctrl+C: it must end through Exit (a normal exit with code 0), not be
// killed by the signal. The child sees no sound server and no sound card, so nothing it does can
// reach the desktop's audio.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

namespace {

class EndBySignal : public ::testing::TestWithParam<int> {};

TEST_P(EndBySignal, EndsThroughExitOnceTheMainWindowIsUp) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile emptyAlsaConfig(dir.filePath("alsa.conf"));
    ASSERT_TRUE(emptyAlsaConfig.open(QIODevice::WriteOnly));
    emptyAlsaConfig.close();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KORVALIN_TRACE", "1");
    env.insert("XDG_RUNTIME_DIR", dir.path());
    env.insert("PULSE_SERVER", "unix:" + dir.filePath("no-pulse"));
    env.insert("PIPEWIRE_REMOTE", dir.filePath("no-pipewire"));
    env.insert("ALSA_CONFIG_PATH", emptyAlsaConfig.fileName());
    env.insert("JACK_NO_START_SERVER", "1");
    env.insert("JACK_DEFAULT_SERVER", "korvalin-test-no-server");

    QProcess app;
    app.setProcessEnvironment(env);
    app.setProcessChannelMode(QProcess::SeparateChannels);
    app.start(KORVALIN_BINARY, {});
    ASSERT_TRUE(app.waitForStarted(60000)) << app.errorString().toStdString();

    // Bounds far above the few seconds this takes, for a loaded machine under sanitizers.
    QByteArray err;
    for (int second = 0; second < 120 && app.state() == QProcess::Running; ++second) {
        app.waitForReadyRead(1000);
        err += app.readAllStandardError();
        if (err.contains("korvalin-trace main-loaded")) break;
    }
    ASSERT_TRUE(err.contains("korvalin-trace main-loaded")) << err.toStdString();
    ASSERT_EQ(app.state(), QProcess::Running);

    ASSERT_EQ(::kill(pid_t(app.processId()), GetParam()), 0);
    ASSERT_TRUE(app.waitForFinished(120000)) << "still running after the signal";
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit) << "killed by the signal instead of ending through Exit";
    EXPECT_EQ(app.exitCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, EndBySignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) {
                             return info.param == SIGTERM ? "Terminate" : info.param == SIGINT ? "Interrupt" : "HangUp";
                         });

} // namespace
