#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "app/gui/control_ids.h"
#include "app/gui/dialog_units.h"
#include "app/gui/link_label.h"
#include "app/gui/styled_label.h"

namespace gui {

// Where users find us: the homepage the About box links to and the support
// mailbox its e-mail line writes to.
inline constexpr char kHomepageUrl[] = "https://quorvex.example.org/";
inline constexpr char kSupportEmail[] = "support@quorvex.example.org";

// The About box: program name and version, the homepage as a link (item 1028)
// and the support address (item 1037, red, centred; a click starts a mail to it).
// "OK", Escape and the close box end it.
class CAboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDialog(QWidget* parent = nullptr);

  // The control with a template id (1, 1028, 1037); nullptr for any other id.
  QWidget* item(int id);

 private:
  void OnEmailClicked();

  // First member: the dialog font is set before any control exists, so every
  // control inherits it (under an application style sheet, controls made before
  // it keep the application font).
  DialogUnits m_units;
  QLabel m_icon{this};
  QLabel m_versionLine{this};
  QLabel m_descriptionLine{this};
  QPushButton m_okButton{this};
  CLinkLabel m_homepageLink{QString::fromLatin1(kHomepageUrl), this};
  QLabel m_homepageCaption{this};
  QLabel m_emailCaption{this};
  CStyledLabel m_emailLabel{QString::fromLatin1(kSupportEmail), this};
};

}  // namespace gui
