// Draws the program's resource images. The build runs it with --out; people restyling the set look at
// --sheet, which lays every image out on light and dark ground.
#include "imagetable.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

void complain(const QString &text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

// The names of a list file: one a line; blank lines and lines starting with '#' are skipped.
bool readList(const QString &path, QStringList &names)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        complain(QStringLiteral("cannot read %1").arg(path));
        return false;
    }
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            names << line;
    }
    return true;
}

// The table must draw exactly the listed names: a missing drawing would leave a hole in the resource
// tree, an unlisted one would never be compiled in.
bool matchesList(const QString &listPath)
{
    QStringList listed;
    if (!readList(listPath, listed))
        return false;
    QSet<QString> drawn;
    bool ok = true;
    for (const ImageSpec &entry : imageTable()) {
        if (drawn.contains(entry.name)) {
            complain(QStringLiteral("drawn twice: %1").arg(entry.name));
            ok = false;
        }
        drawn.insert(entry.name);
    }
    const QSet<QString> wanted(listed.cbegin(), listed.cend());
    for (const QString &name : listed)
        if (!drawn.contains(name)) {
            complain(QStringLiteral("listed but not drawn: %1").arg(name));
            ok = false;
        }
    for (const ImageSpec &entry : imageTable())
        if (!wanted.contains(entry.name)) {
            complain(QStringLiteral("drawn but not listed: %1").arg(entry.name));
            ok = false;
        }
    return ok;
}

int writeAll(const QString &folder)
{
    if (!QDir().mkpath(folder)) {
        complain(QStringLiteral("cannot create %1").arg(folder));
        return 1;
    }
    for (const ImageSpec &entry : imageTable()) {
        QSaveFile file(QDir(folder).filePath(entry.name));
        if (!file.open(QIODevice::WriteOnly) || file.write(encode(entry)) < 0 || !file.commit()) {
            complain(QStringLiteral("cannot write %1").arg(file.fileName()));
            return 1;
        }
    }
    return 0;
}

// Compares a folder with a fresh drawing, byte for byte: the output must not depend on when or how
// often the generator runs.
int verify(const QString &folder)
{
    int differences = 0;
    for (const ImageSpec &entry : imageTable()) {
        QFile file(QDir(folder).filePath(entry.name));
        if (!file.open(QIODevice::ReadOnly) || file.readAll() != encode(entry)) {
            complain(QStringLiteral("differs: %1").arg(file.fileName()));
            ++differences;
        }
    }
    return differences == 0 ? 0 : 1;
}

int sheet(const QString &path, int scale, const QRegularExpression &match)
{
    struct Cell
    {
        QString label;
        QList<QImage> images;
        QRect place;
    };
    QList<Cell> cells;
    for (const ImageSpec &entry : imageTable()) {
        if (!match.match(entry.name).hasMatch())
            continue;
        Cell cell{entry.name, {}, {}};
        if (entry.kind == ImageSpec::Illustration) {
            cell.images << render(entry, entry.size.width());
        } else if (entry.name.endsWith(QLatin1String(".ico"))) {
            for (int side : {16, 32, 48})
                cell.images << render(entry, side)
                                   .scaled(side * scale, side * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            cell.images << render(entry, 128);
        } else {
            const QImage image = render(entry, entry.size.width());
            cell.images << image.scaled(image.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        }
        cells << cell;
    }

    const int sheetWidth = 1800, gap = 10, labelHeight = 16;
    int x = gap, y = gap, rowHeight = 0;
    for (Cell &cell : cells) {
        int width = 0, height = 0;
        for (const QImage &image : cell.images) {
            width += image.width() + 8;
            height = qMax(height, image.height());
        }
        // Every image shows twice: on white and on dark ground.
        width = qMax(2 * width + 8, 120);
        height += 16 + labelHeight;
        if (x + width > sheetWidth) {
            x = gap;
            y += rowHeight + gap;
            rowHeight = 0;
        }
        cell.place = QRect(x, y, width, height);
        x += width + gap;
        rowHeight = qMax(rowHeight, height);
    }

    QImage out(sheetWidth, y + rowHeight + gap, QImage::Format_ARGB32);
    out.fill(QColor(QRgb(0xE5E7EB)));
    QPainter p(&out);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    p.setFont(font);
    for (const Cell &cell : cells) {
        const QRect r = cell.place;
        const int half = r.width() / 2;
        p.fillRect(QRect(r.x(), r.y(), half, r.height()), Qt::white);
        p.fillRect(QRect(r.x() + half, r.y(), r.width() - half, r.height()), QColor(QRgb(0x1F2937)));
        for (int ground = 0; ground < 2; ++ground) {
            int ix = r.x() + ground * half + 8;
            for (const QImage &image : cell.images) {
                p.drawImage(ix, r.y() + 8, image);
                ix += image.width() + 8;
            }
        }
        p.setPen(QColor(QRgb(0x374151)));
        p.drawText(QRect(r.x() + 4, r.bottom() - labelHeight, half - 4, labelHeight), Qt::AlignLeft, cell.label);
    }
    p.end();
    if (!out.save(path, "png")) {
        complain(QStringLiteral("cannot write %1").arg(path));
        return 1;
    }
    return 0;
}

void usage()
{
    complain(QStringLiteral("usage: hushdeck_imagegen --out FOLDER [--list FILE]   draw every image into FOLDER;\n"
                            "                                                    with --list, first check the\n"
                            "                                                    table against the list\n"
                            "       hushdeck_imagegen --verify FOLDER             compare FOLDER with a fresh drawing\n"
                            "       hushdeck_imagegen --sheet FILE [--scale N] [--match REGEX]\n"
                            "                                                    contact sheet of the images\n"
                            "       hushdeck_imagegen --names                     print the names drawn"));
}

} // namespace

int main(int argc, char **argv)
{
    // Text needs a font database, hence a GUI application; no display is needed or wanted.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a runtime folder Qt makes one of its own in the temporary folder and leaves it there: the build
    // leaves nothing behind, so the drawing gets one that goes with it.
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    auto valueOf = [&args](const QString &option) {
        const int at = args.indexOf(option);
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
    };

    if (args.contains(QLatin1String("--names"))) {
        QTextStream out(stdout);
        for (const ImageSpec &entry : imageTable())
            out << entry.name << '\n';
        return 0;
    }
    if (!valueOf(QStringLiteral("--sheet")).isEmpty()) {
        const QRegularExpression match(valueOf(QStringLiteral("--match")));
        if (!match.isValid()) {
            complain(QStringLiteral("bad --match pattern: %1").arg(match.errorString()));
            return 2;
        }
        return sheet(valueOf(QStringLiteral("--sheet")), qMax(1, valueOf(QStringLiteral("--scale")).toInt()), match);
    }
    if (!valueOf(QStringLiteral("--verify")).isEmpty())
        return verify(valueOf(QStringLiteral("--verify")));
    if (!valueOf(QStringLiteral("--out")).isEmpty()) {
        const QString list = valueOf(QStringLiteral("--list"));
        if (!list.isEmpty() && !matchesList(list))
            return 1;
        return writeAll(valueOf(QStringLiteral("--out")));
    }
    usage();
    return 2;
}
