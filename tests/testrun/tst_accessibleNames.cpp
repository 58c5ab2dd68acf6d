// What assistive technology (a screen reader, through Qt's accessibility interfaces) finds in
// each window: every control and tool bar that shows has a name, each window is a window or a
// dialog, separator lines are separators, and each edit box is labelled by the label beside it
// (the processor's line named for what it holds).

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "results/benchUnit.h"
#include "results/sendUnit.h"
#include "support/fakeSequencePlatform.h"
#include "support/fakeTestTable.h"
#include "support/programEnvironment.h"
#include "support/qtTestSupport.h"
#include "testrun/boutUnit.h"
#include "testrun/mainUnit.h"
#include "testrun/reklamaUnit.h"

namespace {

// The roles of what a person operates or must be told about: buttons, boxes, lists, links and
// pictures. Panels, tool bars, separators and labels (named by their text) are not controls.
bool isControl(QAccessible::Role role) {
    static const QAccessible::Role kControls[] = {
        QAccessible::PushButton, QAccessible::CheckBox,       QAccessible::RadioButton,
        QAccessible::ButtonMenu, QAccessible::ComboBox,       QAccessible::EditableText,
        QAccessible::SpinBox,    QAccessible::Slider,         QAccessible::List,
        QAccessible::Tree,       QAccessible::Table,          QAccessible::Link,
        QAccessible::Graphic,    QAccessible::ButtonDropDown,
    };
    return std::find(std::begin(kControls), std::end(kControls), role) != std::end(kControls);
}

// The controls and tool bars below `node` that show and have no name, by object name. The items
// of lists and tables are the list's content, not controls of their own.
void collectUnnamed(QAccessibleInterface* node, QStringList& unnamed) {
    if (node->state().invisible || !node->object() || !node->object()->isWidgetType()) return;
    if ((isControl(node->role()) || node->role() == QAccessible::ToolBar) &&
        node->text(QAccessible::Name).trimmed().isEmpty())
        unnamed.append(node->object()->objectName());
    for (int child = 0; child < node->childCount(); ++child)
        if (QAccessibleInterface* inner = node->child(child)) collectUnnamed(inner, unnamed);
}

}  // namespace

class TestAccessibleNames : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void everyControlHasAName_data();
    void everyControlHasAName();
    void editBoxesAreLabelledByTheirLabels();
    void rolesSayWhatThingsAre_data();
    void rolesSayWhatThingsAre();

  private:
    FakeSequencePlatform platform_;
    FakeTestTable tests_ = numberedTestsTiming(passingKernel);
    QTemporaryDir noResultFiles_;
    std::unique_ptr<TForm1> main_;
    std::unique_ptr<TForm2> comparison_;
    std::unique_ptr<TForm3> information_;
    std::unique_ptr<TAboutBox> about_;
    std::unique_ptr<TrekForm> banner_;
};

void TestAccessibleNames::initTestCase() {
    enterProgramEnvironment();
    main_ = std::make_unique<TForm1>(platform_, tests_);
    comparison_ = std::make_unique<TForm2>(noResultFiles_.path().toStdString());
    information_ = std::make_unique<TForm3>(comparison_->BenchResults());
    about_ = std::make_unique<TAboutBox>();
    banner_ = std::make_unique<TrekForm>();
}

void TestAccessibleNames::everyControlHasAName_data() {
    QTest::addColumn<QWidget*>("window");
    QTest::newRow("main window, expanded") << static_cast<QWidget*>(main_.get());
    QTest::newRow("comparison window") << static_cast<QWidget*>(comparison_.get());
    QTest::newRow("system information dialog") << static_cast<QWidget*>(information_.get());
    QTest::newRow("about box") << static_cast<QWidget*>(about_.get());
    QTest::newRow("banner") << static_cast<QWidget*>(banner_.get());
}

void TestAccessibleNames::everyControlHasAName() {
    QFETCH(QWidget*, window);
    if (window == main_.get())
        QTest::mouseClick(control<QPushButton>(*main_, "Button2"), Qt::LeftButton);  // "Расширить"
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QStringList unnamed;
    collectUnnamed(QAccessible::queryAccessibleInterface(window), unnamed);
    QVERIFY2(unnamed.isEmpty(), qPrintable("without a name: " + unnamed.join(", ")));
    window->hide();
}

void TestAccessibleNames::editBoxesAreLabelledByTheirLabels() {
    for (int line = 1; line <= 4; ++line) {
        auto* edit = control<QLineEdit>(*information_, QStringLiteral("Edit%1").arg(line));
        const auto* label = control<QLabel>(*information_, QStringLiteral("Label%1").arg(line));
        const auto labelledBy =
            QAccessible::queryAccessibleInterface(edit)->relations(QAccessible::Label);
        QCOMPARE(labelledBy.size(), 1);
        QCOMPARE(labelledBy.first().first->object(), label);
    }
    // "Процесс:" on the screen, as designed; the line holds the processor.
    QCOMPARE(QAccessible::queryAccessibleInterface(control<QLineEdit>(*information_, "Edit1"))
                 ->text(QAccessible::Name),
             QStringLiteral("Процессор"));
}

void TestAccessibleNames::rolesSayWhatThingsAre_data() {
    QTest::addColumn<QWidget*>("widget");
    QTest::addColumn<QAccessible::Role>("role");
    const auto row = [](const char* what, QWidget* widget, QAccessible::Role role) {
        QTest::newRow(what) << widget << role;
    };
    row("main window", main_.get(), QAccessible::Window);
    row("comparison window", comparison_.get(), QAccessible::Window);
    row("banner", banner_.get(), QAccessible::Window);
    row("system information dialog", information_.get(), QAccessible::Dialog);
    row("about box", about_.get(), QAccessible::Dialog);
    row("main window's separator line", control<QWidget>(*main_, "Panel1"), QAccessible::Separator);
    row("about box's panel", control<QWidget>(*about_, "Panel1"), QAccessible::Pane);
    row("separator of the upper tool bar", control<QWidget>(*comparison_, "ToolButton15"),
        QAccessible::Separator);
    row("separator of the lower tool bar", control<QWidget>(*comparison_, "ToolButton3"),
        QAccessible::Separator);
}

void TestAccessibleNames::rolesSayWhatThingsAre() {
    QFETCH(QWidget*, widget);
    QFETCH(QAccessible::Role, role);
    QCOMPARE(QAccessible::queryAccessibleInterface(widget)->role(), role);
}

QTEST_MAIN(TestAccessibleNames)
#include "tst_accessibleNames.moc"
