#pragma once

#include <QColor>
#include <QLabel>
#include <QString>
#include <functional>
#include <optional>
#include <string>

namespace gui {

// What a link turns to when the desktop's opener refuses an address: the
// desktop's default web handler run as a command of its own.
struct LinkFallback {
  // The default handler's command line for `scheme` ("https", ...), with "%1"
  // where the address goes; nullopt when there is none or it cannot be read.
  std::function<std::optional<std::string>(const std::string& scheme)> handlerCommand;
  // Starts `command` (split into program and arguments) without waiting for it;
  // false when it could not be started.
  std::function<bool(const std::string& command)> runCommand;
};

// The desktop's real handler lookup (mimeapps.list and the handler's desktop
// entry) and command runner.
LinkFallback desktopLinkFallback();

// A label that behaves as a web link: underlined, coloured as unvisited, visited
// or hovered, with the pointing-hand cursor and the address as its tooltip. A
// left click opens the address; a failure beeps and shows why.
class CLinkLabel : public QLabel {
  Q_OBJECT

 public:
  // `text` is shown and, unless SetAddress() says otherwise, is the address.
  explicit CLinkLabel(const QString& text, QWidget* parent = nullptr);

  // Sets the address opened on click (and shown as the tooltip); an empty text
  // becomes the address too.
  void setAddress(const QString& address);
  const QString& address() const;

  // Replaces the fallback used when the desktop opener refuses (tests).
  void setFallback(LinkFallback fallback);

  // Opens `address` through the desktop's opener, or else through the default
  // web handler's command. Returns a launch result: above 32 on success,
  // otherwise a code that support::LaunchErrorText describes.
  int LaunchUrl(const QString& address) const;

  // Beeps and shows the message for a failed launch with result `code`.
  void ShowLaunchError(int code);

  // Shrinks the label to its text within its current rectangle, keeping the
  // edge (or centre) its alignment names.
  void FitToText();

  bool isVisited() const;
  bool isMouseOver() const;
  // The colour the text is drawn in now.
  QColor textColour() const;

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  // Draws the text itself, so that the link's colour and underline hold under
  // any style sheet.
  void paintEvent(QPaintEvent* event) override;

 private:
  void OnClicked();
  // The label's font, underlined.
  QFont linkFont() const;

  QColor m_linkColour{0, 0, 238};
  QColor m_visitedColour{85, 26, 139};
  QColor m_hoverColour;
  bool m_mouseOver = false;
  bool m_visited = false;
  QString m_address;
  LinkFallback m_fallback;
};

}  // namespace gui
