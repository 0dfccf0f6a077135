// SPDX-License-Identifier: MIT
// The window and the command line over the same pictures: every picture the
// golden command-line cases read is loaded through the window's load
// sequence and checked by vellora-cli, and both must give the same numbers,
// verdicts and suggestions.
#include "mainwindowfixture.h"

#include "hardware/gbi.h"
#include "ui/loadsequence.h"
#include "ui/texturedocument.h"

#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRadioButton>
#include <QtTest>

#include <set>

namespace vellora {

namespace {

// The pictures the golden check and load cases name, folders opened, in a
// stable order; paths relative to the test data folder.
QStringList GoldenPictures(const QString& casesFile, const QDir& data) {
    QFile cases(casesFile);
    if (!cases.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    std::set<QString> pictures;
    auto isPicture = [](const QString& name) {
        return name.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) ||
               name.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive);
    };
    while (!cases.atEnd()) {
        const QStringList words = QString::fromUtf8(cases.readLine()).simplified().split(QLatin1Char(' '));
        if (words.isEmpty() || (words[0] != QLatin1String("check") && words[0] != QLatin1String("load")))
            continue;
        for (const QString& word : words.mid(1)) {
            for (const QString& item : word.split(QLatin1Char(','))) {
                const QFileInfo info(data.filePath(item));
                if (info.isFile() && isPicture(item)) {
                    pictures.insert(data.relativeFilePath(info.filePath()));
                } else if (info.isDir() && !item.startsWith(QLatin1Char('-'))) {
                    QDirIterator it(info.filePath(), QDir::Files, QDirIterator::Subdirectories);
                    while (it.hasNext()) {
                        const QString path = it.next();
                        if (isPicture(path))
                            pictures.insert(data.relativeFilePath(path));
                    }
                }
            }
        }
    }
    return QStringList(pictures.begin(), pictures.end());
}

QString Words(const hw::Layout& layout) {
    QStringList words;
    for (const hw::TileDescriptor& d : layout.tiles)
        words << QString::fromStdString(hw::HexWord(d.setTile)) + QLatin1Char('/') +
                     QString::fromStdString(hw::HexWord(d.setTileSize));
    return words.join(QLatin1Char(' '));
}

QString Words(const QJsonArray& tiles) {
    QStringList words;
    for (const QJsonValue& t : tiles)
        words << t[QLatin1String("settile")].toString() + QLatin1Char('/') +
                     t[QLatin1String("settilesize")].toString();
    return words.join(QLatin1Char(' '));
}

QString Suggestions(const doc::Analysis& analysis) {
    QStringList lines;
    for (const hw::Suggestion& s : analysis.suggestions)
        lines << QStringLiteral("%1: %2 of %3, %4")
                     .arg(QString::fromStdString(s.change))
                     .arg(s.bytes)
                     .arg(s.limit)
                     .arg(s.fitsBoth);
    return lines.join(QLatin1Char('\n'));
}

QString Suggestions(const QJsonArray& suggestions) {
    QStringList lines;
    for (const QJsonValue& s : suggestions)
        lines << QStringLiteral("%1: %2 of %3, %4")
                     .arg(s[QLatin1String("change")].toString())
                     .arg(s[QLatin1String("bytes")].toInteger())
                     .arg(s[QLatin1String("limit")].toInteger())
                     .arg(s[QLatin1String("fits")].toBool());
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class TestFrontEnds : public QObject {
    Q_OBJECT
  private slots:
    void goldenPicturesAgree();
};

void TestFrontEnds::goldenPicturesAgree() {
    const QDir data(QStringLiteral(VELLORA_TEST_DATA));
    const QStringList pictures = GoldenPictures(QStringLiteral(VELLORA_GOLDEN_CASES), data);
    QVERIFY2(pictures.size() > 100, qPrintable(QString::number(pictures.size())));

    QProcess cli;
    cli.setWorkingDirectory(data.path());
    cli.start(QStringLiteral(VELLORA_CLI),
              QStringList{QStringLiteral("check"), QStringLiteral("--json")} + pictures);
    QVERIFY(cli.waitForFinished(120000));
    const QJsonArray checked = QJsonDocument::fromJson(cli.readAllStandardOutput()).array();
    QCOMPARE(checked.size(), pictures.size());

    WindowFixture f;
    // The command line checks without a detail map unless asked for one.
    f.dialogs.messageAnswers = {MsgResult::Yes};
    f.get<QCheckBox>(QStringLiteral("chkDetailEnabled"))->click();
    const TextureDocument& document = f.window->document();

    int compared = 0;
    int refused = 0;
    for (qsizetype i = 0; i < pictures.size(); ++i) {
        const QString& name = pictures[i];
        const QJsonObject c = checked[i].toObject();
        QCOMPARE(c[QLatin1String("path")].toString(), name);
        // A picture whose header names no format (1-bit) keeps the option
        // selected: start each from the window's own, 4-bit, as the command
        // line does.
        f.get<QRadioButton>(QStringLiteral("ChkBitDepth(1)"))->click();
        // Confirm, no detail map, the base, generated levels; any other
        // question answered with its default.
        f.dialogs.messageAnswers = {MsgResult::Ok, MsgResult::No};
        f.dialogs.defaultMessageAnswer = MsgResult::Yes;
        f.dialogs.fileAnswers = {data.filePath(name)};
        const LoadOutcome outcome = LoadSettingsFromBmp(f.window->loadHost(), f.dialogs);
        if (c.contains(QLatin1String("error"))) {
            QVERIFY2(outcome == LoadOutcome::NoBase, qPrintable(name));
            ++refused;
            continue;
        }
        QVERIFY2(outcome == LoadOutcome::Loaded, qPrintable(name));
        // A picture larger than the window's size boxes is counted at the
        // size the boxes take, and the window says so: not the same texture.
        const Count& count = document.result().count;
        const CountedLevel& base = count.levels[static_cast<std::size_t>(count.detailFlag)];
        const QJsonObject bitmap = c[QLatin1String("bitmap")].toObject();
        if (base.width != bitmap[QLatin1String("width")].toInt() ||
            base.height != bitmap[QLatin1String("height")].toInt())
            continue;

        const doc::Analysis& analysis = document.analysis();
        const QJsonObject hardware = c[QLatin1String("hardware")].toObject();
        const QByteArray what = name.toUtf8();
        QVERIFY2(count.totalBytes == c[QLatin1String("total_bytes")].toInteger(), what);
        QVERIFY2(count.tmemLimit == c[QLatin1String("tmem_limit")].toInteger(), what);
        QVERIFY2(count.maxIndex == c[QLatin1String("max_index")].toInt(), what);
        QVERIFY2(analysis.fitsCalculator() == c[QLatin1String("fits")].toBool(), what);
        QVERIFY2(analysis.fitsHardware() == hardware[QLatin1String("fits")].toBool(), what);
        QCOMPARE(QString::fromStdString(analysis.hardwareReason.value_or(std::string())),
                 hardware[QLatin1String("reason")].toString());
        QCOMPARE(Words(document.layout()), Words(hardware[QLatin1String("tiles")].toArray()));
        QCOMPARE(Suggestions(analysis), Suggestions(c[QLatin1String("suggestions")].toArray()));
        ++compared;
    }
    qInfo("%d compared, %d refused of %d", compared, refused, int(pictures.size()));
    // Nearly all of them are the same texture in both.
    QVERIFY2(
        compared + refused + 8 >= pictures.size(),
        qPrintable(
            QStringLiteral("%1 compared, %2 refused of %3").arg(compared).arg(refused).arg(pictures.size())));
}

} // namespace vellora

QTEST_MAIN(vellora::TestFrontEnds)
#include "tst_frontends.moc"
