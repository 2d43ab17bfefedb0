#include "ui/AboutDialog.h"

#include <QGridLayout>
#include <QMouseEvent>

#include "ui/Artwork.h"
#include "ui/DialogSupport.h"
#include "ui/MainWindow.h"

namespace tarifuhr {

const char* const AboutDialog::kSupportAddress = "support@tarifuhr.example";
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

AboutDialog::AboutDialog(Dialogs& dialogs)
    : QDialog(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      d_(dialogs) {
  d_.about = this;
  setWindowTitle(QStringLiteral("About"));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(0x00, 0x00, 0x80));
  pal.setColor(QPalette::WindowText, Qt::white);
  setPalette(pal);
  setAutoFillBackground(true);

  Image1 = new ClickLabel(this);
  Image1->setPixmap(ProgramIcon().pixmap(64, 64));
  Image1->setFixedSize(64, 64);
  Label1 = new ClickLabel(QStringLiteral("Tarifuhr 1.0"), this);
  QFont big = Label1->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.6);
  Label1->setFont(big);
  Label2 = new ClickLabel(QStringLiteral("© 2026 Die Tarifuhr-Entwickler – freie Software unter der MIT-Lizenz"), this);
  const auto caption = [this](const QString& text) { return new QLabel(text, this); };
  const auto link = [this](const QString& text) {
    auto* l = new ClickLabel(text, this);
    l->setStyleSheet(QStringLiteral("color: #90EE90;"));  // light green
    l->setCursor(Qt::PointingHandCursor);
    return l;
  };
  Label5 = caption(QStringLiteral("E-Mail:"));
  Label3 = link(QString::fromUtf8(kSupportAddress));
  Label6 = caption(QStringLiteral("Web-Site:"));
  Label4 = link(QString::fromUtf8(kWebSite));
  Label7 = caption(QStringLiteral("Forum:"));
  Label8 = link(QString::fromUtf8(kForum));
  Label9 = caption(QStringLiteral("Betatester:"));
  Label10 = link(QString::fromUtf8(kBetaTester));
  Memo1 = new QPlainTextEdit(this);
  Memo1->setReadOnly(true);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setPlainText(LicenceTerms());
  Memo1->setMinimumSize(520, 200);
  Button1 = new QPushButton(QStringLiteral("OK"), this);

  auto* g = new QGridLayout(this);
  g->addWidget(Image1, 0, 0, 2, 1);
  g->addWidget(Label1, 0, 1, 1, 2);
  g->addWidget(Label2, 1, 1, 1, 2);
  int r = 2;
  for (auto [c, l] : {std::pair{Label5, Label3}, std::pair{Label6, Label4}, std::pair<QLabel*, ClickLabel*>{Label7, Label8},
                      std::pair<QLabel*, ClickLabel*>{Label9, Label10}}) {
    g->addWidget(c, r, 1);
    g->addWidget(l, r++, 2);
  }
  g->addWidget(Memo1, r++, 0, 1, 3);
  g->addWidget(Button1, r, 2, Qt::AlignRight);

  for (ClickLabel* l : {Image1, Label1, Label2}) connect(l, &ClickLabel::clicked, this, [this] { FormClick(); });
  connect(Label3, &ClickLabel::clicked, this, [this] { Label3Click(); });
  connect(Label4, &ClickLabel::clicked, this, [this] { Label4Click(); });
  connect(Label8, &ClickLabel::clicked, this, [this] { Label8Click(); });
  connect(Label10, &ClickLabel::clicked, this, [this] { Label10Click(); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void AboutDialog::Open(const std::string& target) { d_.form.Services().shell.Open(target); }

void AboutDialog::FormClick() { close(); }
void AboutDialog::Button1Click() { close(); }
void AboutDialog::Label3Click() { Open(std::string("mailto:") + kSupportAddress); }
void AboutDialog::Label4Click() { Open(kWebSite); }
void AboutDialog::Label8Click() { Open(kForum); }
void AboutDialog::Label10Click() { Open(kBetaTesterPage); }

void AboutDialog::mouseReleaseEvent(QMouseEvent* event) {
  QDialog::mouseReleaseEvent(event);
  // Only the background itself: a click on a caption label reaches the
  // window too, and must not close it.
  if (event->button() == Qt::LeftButton && !childAt(event->position().toPoint())) FormClick();
}

}  // namespace tarifuhr
