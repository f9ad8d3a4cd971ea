// GoogleTest entry for tests that need a QApplication (on the offscreen platform).

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Test discovery runs this too, before CTest's environment applies.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The embedded browser's tests: as the program runs it (its page is mostly hidden).
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            "--disable-background-timer-throttling --disable-renderer-backgrounding"
            " --disable-backgrounding-occluded-windows");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
