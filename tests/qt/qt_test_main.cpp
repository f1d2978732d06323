// The Qt tests need one application object for the whole run, off screen.
#include <QApplication>
#include <QDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString dir = QDir::temp().absoluteFilePath(
            QStringLiteral("kinpath-runtime-%1").arg(getuid()));
        QDir().mkpath(dir);
        chmod(QFile::encodeName(dir).constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir));
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
