#include "app/gui/about_dialog.h"

#include <QIcon>

#include "app/gui/dialog_units.h"
#include "app/gui/ui_hooks.h"

namespace gui {

CAboutDialog::CAboutDialog(QWidget* parent)
    : QDialog(parent, kDialogWindowFlags), m_units(useDialogFont(*this)) {
  setWindowTitle("About Quorvex 1.0");
  setFixedSize(m_units.toPixels(257, 82));

  // Icons keep their own size whatever the template gives them. The icon is the
  // owner's, else the application's.
  m_icon.setGeometry(QRect(m_units.toPixels(11, 10, 21, 20).topLeft(), QSize(32, 32)));
  m_icon.setPixmap(windowIcon().pixmap(32, 32));

  const struct {
    QLabel* label;
    const char* text;
    QRect area;
  } statics[] = {
      {&m_versionLine, "Quorvex Version 1.0", m_units.toPixels(40, 7, 119, 8)},
      {&m_descriptionLine, "Animated GIF to Flash movie", m_units.toPixels(40, 21, 119, 8)},
      {&m_homepageCaption, "Homepage:", m_units.toPixels(18, 44, 39, 15)},
      {&m_emailCaption, "E-mail:", m_units.toPixels(18, 60, 24, 9)},
  };
  for (const auto& entry : statics) {
    entry.label->setText(entry.text);
    entry.label->setTextFormat(Qt::PlainText);
    entry.label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    entry.label->setWordWrap(true);
    entry.label->setGeometry(entry.area);
  }

  m_okButton.setText("OK");
  m_okButton.setObjectName(QString::number(OkButton));
  m_okButton.setDefault(true);
  m_okButton.setGeometry(m_units.toPixels(194, 55, 50, 16));
  connect(&m_okButton, &QPushButton::clicked, this, &QDialog::accept);

  m_homepageLink.setObjectName(QString::number(HomepageLink));
  m_homepageLink.setGeometry(m_units.toPixels(62, 45, 129, 11));
  m_homepageLink.FitToText();

  m_emailLabel.setObjectName(QString::number(EmailLabel));
  // Wider than the classic 77 units, up to the homepage link's right edge: our
  // address is longer than the one that box was cut for, and an address without
  // spaces cannot wrap.
  m_emailLabel.setGeometry(m_units.toPixels(61, 61, 130, 13));
  m_emailLabel.SetTextFont(CStyledLabel::simSunFace(), 12, Qt::black, 0);
  m_emailLabel.SetTextColour(255, 0, 0);
  connect(&m_emailLabel, &CStyledLabel::clicked, this, &CAboutDialog::OnEmailClicked);

  m_okButton.setFocus();
}

QWidget* CAboutDialog::item(int id) {
  switch (id) {
    case OkButton:
      return &m_okButton;
    case HomepageLink:
      return &m_homepageLink;
    case EmailLabel:
      return &m_emailLabel;
    default:
      return nullptr;
  }
}

void CAboutDialog::OnEmailClicked() {
  // Without a mail program nothing happens, and nothing is said.
  const UiHooks& hooks = uiHooks();
  if (hooks.openExternal) hooks.openExternal(QStringLiteral("mailto:") + kSupportEmail);
}

}  // namespace gui
