// The comparison list's model: the texts the list draws of a record's descriptions.

#include <QtTest>
#include <cstring>
#include <deque>

#include "results/comparisonListUnit.h"

class TestComparisonModel : public QObject {
    Q_OBJECT

  private slots:
    void drawsNoControlCharacters_data();
    void drawsNoControlCharacters();
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

QTEST_MAIN(TestComparisonModel)
#include "tst_ComparisonModel.moc"
