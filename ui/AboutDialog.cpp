// SPDX-License-Identifier: MIT
#include "ui/AboutDialog.h"

#include <QGridLayout>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include "platform/ProgramIdentity.h"
#include "platform/Shell.h"
#include "ui/Artwork.h"
#include "ui/DialogSupport.h"
#include "ui/SupportAddress.h"

namespace tarifuhr {

const char* const AboutDialog::kSupportAddress = kMakersSupportAddress;
const char* const AboutDialog::kWebSite = "https://tarifuhr.example";
const char* const AboutDialog::kForum = "https://tarifuhr.example/forum";
const char* const AboutDialog::kBetaTester = "Erika Mustermann";
const char* const AboutDialog::kBetaTesterPage = "https://tarifuhr.example/dank";

// The repository's LICENSE file, word for word.
const char* const AboutDialog::kLicence =
    "MIT License\n"
    "\n"
    "Copyright (c) 2026 Die Tarifuhr-Entwickler\n"
    "\n"
    "Permission is hereby granted, free of charge, to any person obtaining a copy\n"
    "of this software and associated documentation files (the \"Software\"), to deal\n"
    "in the Software without restriction, including without limitation the rights\n"
    "to use, copy, modify, merge, publish, distribute, sublicense, and/or sell\n"
    "copies of the Software, and to permit persons to whom the Software is\n"
    "furnished to do so, subject to the following conditions:\n"
    "\n"
    "The above copyright notice and this permission notice shall be included in all\n"
    "copies or substantial portions of the Software.\n"
    "\n"
    "THE SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR\n"
    "IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY,\n"
    "FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE\n"
    "AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER\n"
    "LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM,\n"
    "OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE\n"
    "SOFTWARE.\n";

QString AboutDialog::LicenceTerms() {
  return QStringLiteral(
             "Tarifuhr ist freie Software unter der MIT-Lizenz.\n"
             "\n"
             "Sie dürfen das Programm kostenlos benutzen, kopieren, verändern und\n"
             "weitergeben, auch verkauft oder als Teil anderer Programme, solange der\n"
             "Urheberrechtsvermerk und der folgende Lizenztext jeder Kopie beiliegen.\n"
             "\n"
             "Das Programm wird ohne jede Gewährleistung überlassen. Für Schäden,\n"
             "die aus seiner Benutzung entstehen, haften die Entwickler nicht.\n"
             "Verbindlich ist der englische Lizenztext:\n"
             "\n") +
         QString::fromUtf8(kLicence);
}

AboutDialog::AboutDialog(Shell& shell)
    : QDialog(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      shell_(shell) {
  setWindowTitle(QStringLiteral("About"));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(0x00, 0x00, 0x80));
  pal.setColor(QPalette::WindowText, Qt::white);
  setPalette(pal);
  setAutoFillBackground(true);

  auto* picture = Named(new ClickLabel(this), "picture");
  picture->setPixmap(ProgramIcon().pixmap(64, 64));
  picture->setFixedSize(64, 64);
  auto* programName =
      Named(new ClickLabel(QStringLiteral("Tarifuhr ") + QString::fromLatin1(kProgramVersion), this),
            "programName");
  QFont big = programName->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.6);
  programName->setFont(big);
  auto* notice =
      Named(new ClickLabel(
                QStringLiteral("© 2026 Die Tarifuhr-Entwickler – freie Software unter der MIT-Lizenz"), this),
            "notice");
  auto* licence = Named(new QPlainTextEdit(this), "licence");
  licence->setReadOnly(true);
  licence->setLineWrapMode(QPlainTextEdit::NoWrap);
  licence->setPlainText(LicenceTerms());
  // It scrolls: on a small screen the box keeps its "OK" in reach.
  licence->setMinimumSize(200, 60);
  auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), "ok");

  auto* g = new QGridLayout(this);
  g->addWidget(picture, 0, 0, 2, 1);
  g->addWidget(programName, 0, 1, 1, 2);
  g->addWidget(notice, 1, 1, 1, 2);
  int r = 2;
  // A caption and its link: a click on the link opens it, the box stays.
  const auto link = [this, g, &r](const char* caption, const char* captionName, const QString& text,
                                  const char* name, const std::string& target) {
    g->addWidget(Named(new QLabel(QString::fromUtf8(caption), this), captionName), r, 1);
    auto* l = Named(new ClickLabel(text, this), name);
    l->setStyleSheet(QStringLiteral("color: #90EE90;"));  // light green
    l->setCursor(Qt::PointingHandCursor);
    connect(l, &ClickLabel::clicked, this, [this, target] { Open(target); });
    g->addWidget(l, r++, 2);
  };
  link("E-Mail:", "mailCaption", QString::fromUtf8(kSupportAddress), "mailLink",
       std::string("mailto:") + kSupportAddress);
  link("Web-Site:", "webCaption", QString::fromUtf8(kWebSite), "webLink", kWebSite);
  link("Forum:", "forumCaption", QString::fromUtf8(kForum), "forumLink", kForum);
  link("Betatester:", "testerCaption", QString::fromUtf8(kBetaTester), "testerLink", kBetaTesterPage);
  g->addWidget(licence, r++, 0, 1, 3);
  g->addWidget(ok, r, 2, Qt::AlignRight);

  // The picture, the program's name and the notice close the box, as the
  // background and "OK" do.
  for (ClickLabel* l : {picture, programName, notice})
    connect(l, &ClickLabel::clicked, this, [this] { close(); });
  connect(ok, &QPushButton::clicked, this, [this] { close(); });
  resize(560, 440);
}

void AboutDialog::Open(const std::string& target) { shell_.Open(target); }

void AboutDialog::mouseReleaseEvent(QMouseEvent* event) {
  QDialog::mouseReleaseEvent(event);
  // Only the background itself: a click on a caption label reaches the
  // window too, and must not close it.
  if (event->button() == Qt::LeftButton && !childAt(event->position().toPoint())) close();
}

}  // namespace tarifuhr
