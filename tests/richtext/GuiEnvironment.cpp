// QTextDocument needs a QGuiApplication for its fonts; the suite makes one before the first test.
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "test_richtext";
        static char* argv[] = {name, nullptr};
        // The codec never draws: no display is needed, whatever the environment says.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_app = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QGuiApplication> m_app;
};

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

} // namespace
