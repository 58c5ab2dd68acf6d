// The comparison list's model: the texts the list draws of a record's descriptions, and what
// assistive technology reads of the bars it does not draw as text.

#include <QtTest>
#include <cstring>
#include <deque>

#include "results/comparisonListUnit.h"

class TestComparisonModel : public QObject {
    Q_OBJECT

  private slots:
    void drawsNoControlCharacters_data();
    void drawsNoControlCharacters();
    void barsAreReadAsText_data();
    void barsAreReadAsText();
};

void TestComparisonModel::drawsNoControlCharacters_data() {
    QTest::addColumn<QByteArray>("stored");  // Windows-1251 bytes, length byte = their number
    QTest::addColumn<QString>("drawn");
    QTest::newRow("a zero-filled fragment") << QByteArray(5, '\0') << "";
    QTest::newRow("tab, line feed, escape inside")
        << QByteArray("Intel\tCore\n2\x1b", 13) << "Intel?Core?2?";
    QTest::newRow("Cyrillic and punctuation stay")
        << QByteArray("\xcf\xe5\xed\xf2\xe8\xf3\xec 4") << QStringLiteral("Пентиум 4");
}

void TestComparisonModel::drawsNoControlCharacters() {
    QFETCH(QByteArray, stored);
    QFETCH(QString, drawn);
    std::deque<TCpuRecord> systems(1, emptyRecord());
    TDescription& cpu = systems.front().Cpu;
    cpu.Length = static_cast<std::uint8_t>(stored.size());
    std::memcpy(cpu.Text.data(), stored.constData(), static_cast<std::size_t>(stored.size()));
    const TDescription before = cpu;
    const TCpuRecord ownSystem = makeOwnSystem();

    ComparisonModel model;
    model.setRows(buildComparisonRows(systems, ownSystem, 1, BenchUnit::Cycles), BenchUnit::Cycles);
    // Both rows are 0: the loaded record stays above the running machine.
    QCOMPARE(model.data(model.index(0, kCpuColumn)).toString(), drawn);
    QCOMPARE(std::memcmp(&systems.front().Cpu, &before, sizeof before), 0);
}

void TestComparisonModel::barsAreReadAsText_data() {
    // The ten runs of test 1 as stored, in cycles; each takes a tenth as long in milliseconds.
    QTest::addColumn<QList<int>>("cycles");
    QTest::addColumn<bool>("inMilliseconds");
    QTest::addColumn<QString>("read");
    const QList<int> passed{101, 120, 110, 105, 130, 101, 140, 102, 111, 130};
    QTest::newRow("best and average in cycles")
        << passed << false << QStringLiteral("лучший 101, средний 115 млн. тактов");
    QTest::newRow("in milliseconds")
        << passed << true << QStringLiteral("лучший 10, средний 11 миллисекунд");
    QTest::newRow("one failed run: the average bar under the failure")
        << QList<int>{0, 120, 110, 105, 130, 101, 140, 102, 111, 130} << false
        << QStringLiteral("Тест не пройден, средний 104 млн. тактов");
    QTest::newRow("never run") << QList<int>(kRunsPerTest, 0) << false
                               << QStringLiteral("Тест не пройден");
}

void TestComparisonModel::barsAreReadAsText() {
    QFETCH(QList<int>, cycles);
    QFETCH(bool, inMilliseconds);
    QFETCH(QString, read);
    TCpuRecord ownSystem = makeOwnSystem();
    for (int run = 0; run < kRunsPerTest; ++run) {
        ownSystem.Results[0][static_cast<std::size_t>(run)] =
            static_cast<std::uint32_t>(cycles[run]);
        ownSystem.Results[1][static_cast<std::size_t>(run)] =
            static_cast<std::uint32_t>(cycles[run] / 10);
    }
    const BenchUnit unit = inMilliseconds ? BenchUnit::Milliseconds : BenchUnit::Cycles;
    const std::deque<TCpuRecord> noSystems;
    ComparisonModel model;
    model.setRows(buildComparisonRows(noSystems, ownSystem, 1, unit), unit);
    const QModelIndex bench = model.index(0, kBenchColumn);
    QCOMPARE(model.data(bench, Qt::AccessibleTextRole).toString(), read);
    QCOMPARE(model.data(bench).toString(), QString());  // the bars are drawn, not written
}

QTEST_MAIN(TestComparisonModel)
#include "tst_ComparisonModel.moc"
