// The images of the resource tree, as an executable linking the `resources` library sees them.
#include <QBuffer>
#include <QDataStream>
#include <QDirIterator>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

const QString root = QStringLiteral(":/resources/images/");

QStringList listedNames()
{
    QStringList names;
    QFile file(QStringLiteral(HUSHDECK_IMAGE_LIST));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return names;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            names << line;
    }
    return names;
}

// The size a name promises: "Save24.png" is 24 x 24, "track_cleaner_48x48.png" 48 x 48; an invalid size
// when the name carries none.
QSize nominalSize(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("(\\d+)(?:x(\\d+))?\\.(?:png|ico)$"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return QSize();
    const int width = match.captured(1).toInt();
    return QSize(width, match.captured(2).isEmpty() ? width : match.captured(2).toInt());
}

// How many pixels are not fully transparent, and how many distinct colours they have.
void coverage(const QImage &image, int &opaque, int &colours)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> seen;
    opaque = 0;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb pixel = argb.pixel(x, y);
            if (qAlpha(pixel) > 0) {
                ++opaque;
                seen.insert(pixel);
            }
        }
    colours = seen.size();
}

struct IcoEntry
{
    int width, height;
    quint32 size, offset;
};

} // namespace

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void listIsReadable();
    void imageLoads_data();
    void imageLoads();
    void treeHoldsExactlyTheList();
    void pixmapAndIconFromLinkedLibrary();
    void windowIconContainer();
    void drawingsAreDistinct();
};

void TestResources::listIsReadable()
{
    const QStringList names = listedNames();
    QVERIFY2(names.size() > 100, qPrintable(QString::number(names.size())));
    QCOMPARE(QSet<QString>(names.cbegin(), names.cend()).size(), names.size());
}

void TestResources::imageLoads_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : listedNames())
        QTest::newRow(qPrintable(name)) << name;
}

void TestResources::imageLoads()
{
    QFETCH(QString, name);
    QImageReader reader(root + name);
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));

    // An .ico reads its first frame here; its frames are checked on their own below.
    const QSize nominal = nominalSize(name);
    if (nominal.isValid() && !name.endsWith(QLatin1String(".ico")))
        QCOMPARE(image.size(), nominal);

    // A drawing, not an empty or single-colour square: a good share of the pixels are painted, in
    // several colours (antialiased edges alone give more than a handful).
    int opaque = 0, colours = 0;
    coverage(image, opaque, colours);
    QVERIFY2(opaque * 8 >= image.width() * image.height(), qPrintable(QString::number(opaque)));
    QVERIFY2(colours >= 4, qPrintable(QString::number(colours)));
}

void TestResources::treeHoldsExactlyTheList()
{
    QStringList inTree;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        inTree << it.next().mid(root.size());
    const QStringList names = listedNames();
    QCOMPARE(QSet<QString>(inTree.cbegin(), inTree.cend()), QSet<QString>(names.cbegin(), names.cend()));
    // The Secure Delete page's label asks for this one and is meant to stay empty.
    QVERIFY(!QFile::exists(root + QStringLiteral("recycleBin.png")));
}

void TestResources::pixmapAndIconFromLinkedLibrary()
{
    const QPixmap home(root + QStringLiteral("Home48.png"));
    QVERIFY(!home.isNull());
    QCOMPARE(home.size(), QSize(48, 48));

    const QIcon arrow(root + QStringLiteral("Arrow Left.png"));
    QVERIFY(!arrow.isNull());
    QCOMPARE(arrow.pixmap(64, 64).size(), QSize(64, 64));
}

void TestResources::windowIconContainer()
{
    QFile file(root + QStringLiteral("rocket.ico"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();

    QDataStream in(bytes);
    in.setByteOrder(QDataStream::LittleEndian);
    quint16 reserved = 1, type = 0, count = 0;
    in >> reserved >> type >> count;
    QCOMPARE(reserved, quint16(0));
    QCOMPARE(type, quint16(1));
    QVERIFY(count >= 4);

    QList<IcoEntry> entries;
    for (int i = 0; i < count; ++i) {
        quint8 width, height, palette, zero;
        quint16 planes, bits;
        quint32 size, offset;
        in >> width >> height >> palette >> zero >> planes >> bits >> size >> offset;
        QCOMPARE(palette, quint8(0));
        QCOMPARE(bits, quint16(32));
        entries << IcoEntry{width ? width : 256, height ? height : 256, size, offset};
    }
    QCOMPARE(in.status(), QDataStream::Ok);

    QSet<int> sides;
    for (const IcoEntry &entry : entries) {
        QVERIFY(entry.offset >= 6 + 16 * quint32(count));
        QVERIFY(quint64(entry.offset) + entry.size <= quint64(bytes.size()));
        const QImage frame = QImage::fromData(bytes.mid(int(entry.offset), int(entry.size)), "png");
        QVERIFY(!frame.isNull());
        QCOMPARE(frame.size(), QSize(entry.width, entry.height));
        sides.insert(entry.width);
    }
    for (int side : {16, 32, 48, 256})
        QVERIFY2(sides.contains(side), qPrintable(QString::number(side)));

    // Qt's own icon reader, which QIcon and QApplication::setWindowIcon go through, sees every frame.
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer, "ico");
    QCOMPARE(reader.imageCount(), int(count));
    const QIcon icon(root + QStringLiteral("rocket.ico"));
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.pixmap(32, 32).size(), QSize(32, 32));
}

void TestResources::drawingsAreDistinct()
{
    // Two names sharing one drawing at one size would be a slip in the generator's table.
    QHash<QByteArray, QString> seen;
    for (const QString &name : listedNames()) {
        const QImage image = QImage(root + name).convertToFormat(QImage::Format_ARGB32);
        QByteArray key = QByteArray::number(image.width()) + 'x' + QByteArray::number(image.height()) + ':';
        key += QByteArray(reinterpret_cast<const char *>(image.constBits()), int(image.sizeInBytes()));
        QVERIFY2(!seen.contains(key), qPrintable(name + QStringLiteral(" = ") + seen.value(key)));
        seen.insert(key, name);
    }
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
