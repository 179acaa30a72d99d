#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QVBoxLayout>

namespace {

// A small window with one of each kind of control that Enter might reach.
class EnterKey : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* w : std::initializer_list<QWidget*>{button, other, text, line, radio})
            layout->addWidget(w);
        QObject::connect(button, &QPushButton::clicked, [this] { ++pressed; });
        QObject::connect(other, &QPushButton::clicked, [this] { ++otherPressed; });
        QObject::connect(radio, &QRadioButton::clicked, [this] { ++otherPressed; });
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    void focusAndPress(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        target->setFocus();
        ASSERT_TRUE(target->hasFocus());
        QTest::keyClick(target, key, modifiers);
    }

    QWidget window;
    QPushButton* button = new QPushButton(QStringLiteral("Confirm"));
    QPushButton* other = new QPushButton(QStringLiteral("Înapoi"));
    QPlainTextEdit* text = new QPlainTextEdit;
    QLineEdit* line = new QLineEdit;
    QRadioButton* radio = new QRadioButton(QStringLiteral("a)"));
    int pressed = 0;
    int otherPressed = 0;
};

TEST_F(EnterKey, PressesTheFocusedPushButtonOnly)
{
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int presses;
    } cases[] = {
        {Qt::Key_Return, Qt::NoModifier, 1},    {Qt::Key_Enter, Qt::KeypadModifier, 1},
        {Qt::Key_Space, Qt::NoModifier, 1},  // as before
        {Qt::Key_Return, Qt::ShiftModifier, 0}, {Qt::Key_Return, Qt::ControlModifier, 0},
        {Qt::Key_Return, Qt::AltModifier, 0},   {Qt::Key_A, Qt::NoModifier, 0},
    };
    for (const auto& c : cases) {
        pressed = otherPressed = 0;
        focusAndPress(button, c.key, c.modifiers);
        EXPECT_EQ(pressed, c.presses) << "key " << c.key << " modifiers " << c.modifiers;
        EXPECT_EQ(otherPressed, 0);
    }
}

TEST_F(EnterKey, HeldDownPressesOnce)
{
    button->setFocus();
    QKeyEvent first(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), false);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
    QApplication::sendEvent(button, &first);
    QApplication::sendEvent(button, &repeat);
    QApplication::sendEvent(button, &repeat);
    EXPECT_EQ(pressed, 1);
}

TEST_F(EnterKey, DisabledButtonIsNotPressed)
{
    button->setFocus();
    button->setEnabled(false);
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(pressed, 0);
}

// Where Enter means something, it keeps its meaning and presses nothing.
TEST_F(EnterKey, KeepsItsMeaningElsewhere)
{
    focusAndPress(text, Qt::Key_Return);
    EXPECT_EQ(text->toPlainText(), QStringLiteral("\n")) << "a multi-line box breaks the line";
    focusAndPress(line, Qt::Key_Return);
    focusAndPress(radio, Qt::Key_Return);
    EXPECT_EQ(pressed, 0);
    EXPECT_EQ(otherPressed, 0);
    EXPECT_FALSE(radio->isChecked());
}

}  // namespace
