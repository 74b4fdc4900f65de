#include "tests/explorer/filepane/qt_app.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

namespace {

int g_argc = 1;
char g_name[] = "test_file_pane";
char* g_argv[] = {g_name, nullptr};
std::unique_ptr<QApplication> g_app;

// Ends the application after the last test, while Qt's own globals still live.
class TQtAppEnvironment : public ::testing::Environment {
public:
    void TearDown() override { g_app.reset(); }
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new TQtAppEnvironment); // owned by GoogleTest

} // namespace

QApplication& TestApp() {
    if (!g_app)
        g_app = std::make_unique<QApplication>(g_argc, g_argv);
    return *g_app;
}
