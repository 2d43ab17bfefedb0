// SPDX-License-Identifier: MIT
// tarifuhr-icons FOLDER NAME SIZE...: writes the program's clock face into an
// icon theme folder, as FOLDER/scalable/apps/NAME.svg and as
// FOLDER/SIZExSIZE/apps/NAME.png for each size.

#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstdlib>

#include "ui/Artwork.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "Aufruf: tarifuhr-icons ORDNER NAME GRÖSSE...\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  const QString name = QString::fromLocal8Bit(argv[2]);
  const auto fail = [](const QString& path) {
    std::fprintf(stderr, "tarifuhr-icons: „%s“ kann nicht geschrieben werden\n", qPrintable(path));
    return 1;
  };

  const QString scalable = folder + QStringLiteral("/scalable/apps");
  QFile svg(scalable + QLatin1Char('/') + name + QStringLiteral(".svg"));
  if (!QDir().mkpath(scalable) || !svg.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      svg.write(tarifuhr::ProgramPictureSvg().toUtf8()) < 0 || !svg.flush())
    return fail(svg.fileName());

  for (int i = 3; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size <= 0) return fail(QString::fromLocal8Bit(argv[i]));
    const QString dir = folder + QStringLiteral("/%1x%1/apps").arg(size);
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!QDir().mkpath(dir) || !tarifuhr::ProgramPicture(size).save(path, "PNG")) return fail(path);
  }
  return 0;
}
