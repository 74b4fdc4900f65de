#include "tests/midi/port_test_support.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

// Exceptions from notification handlers end here instead of inside Qt, as the
// program's own application object does.
class TTestApplication : public QCoreApplication {
public:
    using QCoreApplication::QCoreApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QCoreApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            HandlerErrors().push_back(error.what());
            return true;
        }
    }
};

} // namespace

std::vector<std::string>& HandlerErrors() {
    static std::vector<std::string> errors;
    return errors;
}

int main(int argc, char** argv) {
    TTestApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
