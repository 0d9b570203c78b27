// Shows the thumbnail browser as the viewer configures it with a four-page TIFF whose
// name is Japanese, and writes a PNG of it: thumbshot <output.png> (run under Xvfb).
#include "browse/Ikthumb.h"

#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: thumbshot <output.png>\n");
        return 2;
    }
    QTemporaryDir dir;
    const QString name = QStringLiteral("見積書.tif");
    const QString command =
        QStringLiteral("convert \\( -size 210x297 xc:white -fill black -draw 'rectangle 20,20 190,60' -monochrome \\) "
                       "\\( -size 210x297 xc:lightblue \\) \\( -size 297x210 xc:orange \\) "
                       "\\( -size 210x297 xc:white -fill black -draw 'line 20,40 190,40' -monochrome \\) "
                       "-depth 8 '%1' >/dev/null 2>&1")
            .arg(dir.filePath(name));
    if (std::system(command.toUtf8().constData()) != 0) return 1;

    TVIkThumb thumb;
    thumb.resize(150, 640);
    thumb.SetColCount(1);
    thumb.SetRowCount(5);
    thumb.SetGapSize(1);
    thumb.SetEdgeSize(1);
    thumb.SetImageSize(120);
    thumb.SetAppearance(vikLowered);
    thumb.SetReadMode(vikThumbRdDspMultiImg);
    thumb.SetButton3D(false);
    thumb.SetEnableMouseWheel(true);
    thumb.SetForeColorUp(14024703);
    thumb.SetForeColorDown(7709439);
    thumb.SetColor(0x808080);
    thumb.SetDispFileName(true);
    thumb.SetFilePath(dir.path());
    thumb.SetFileExt(name);
    thumb.show();
    if (thumb.GetFiles() != 1 || !thumb.Display()) return 1;
    thumb.SelectImage(2);
    app.processEvents();
    return thumb.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
