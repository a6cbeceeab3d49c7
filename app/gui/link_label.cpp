#include "app/gui/link_label.h"

#include <QApplication>
#include <QByteArray>
#include <QEnterEvent>
#include <QFile>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <utility>

#include "app/gui/ui_hooks.h"
#include "app/gui/url_command.h"

namespace gui {
namespace {

// Desktop files are small; anything bigger is not one.
constexpr qint64 kMaxKeyFileBytes = 1 << 20;

std::optional<std::string> readKeyFile(const QString& path) {
  QFile file(path);
  if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray bytes = file.read(kMaxKeyFileBytes);
  return bytes.toStdString();
}

// The lists that map content types to default programs, most specific first.
QStringList mimeAppsLists() {
  QStringList lists;
  for (const QString& dir :
       QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation)) {
    lists << dir + "/mimeapps.list";
  }
  for (const QString& dir :
       QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
    lists << dir + "/mimeapps.list" << dir + "/defaults.list";
  }
  return lists;
}

std::optional<std::string> desktopHandlerCommand(const std::string& scheme) {
  const std::string types[] = {"x-scheme-handler/" + scheme, "text/html"};
  const QStringList lists = mimeAppsLists();
  for (const std::string& type : types) {
    for (const QString& list : lists) {
      const std::optional<std::string> text = readKeyFile(list);
      if (!text) continue;
      const std::string id = defaultApplicationFor(*text, type);
      if (id.empty()) continue;
      const QString entryPath =
          QStandardPaths::locate(QStandardPaths::ApplicationsLocation, QString::fromStdString(id));
      const std::optional<std::string> entry = readKeyFile(entryPath);
      if (!entry) continue;
      if (std::optional<std::string> command = desktopEntryCommand(*entry)) {
        return command;
      }
    }
  }
  return std::nullopt;
}

bool runDetached(const std::string& command) {
  QStringList arguments = QProcess::splitCommand(QString::fromLocal8Bit(command.c_str()));
  if (arguments.isEmpty()) return false;
  const QString program = arguments.takeFirst();
  return QProcess::startDetached(program, arguments);
}

}  // namespace

LinkFallback desktopLinkFallback() { return {desktopHandlerCommand, runDetached}; }

CLinkLabel::CLinkLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent), m_fallback(desktopLinkFallback()) {
  m_hoverColour = palette().color(QPalette::Highlight);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setCursor(Qt::PointingHandCursor);
  setAddress(QString());
}

void CLinkLabel::setAddress(const QString& address) {
  m_address = address.isEmpty() ? text() : address;
  if (text().isEmpty()) setText(m_address);
  setToolTip(m_address);
}

const QString& CLinkLabel::address() const { return m_address; }

void CLinkLabel::setFallback(LinkFallback fallback) { m_fallback = std::move(fallback); }

int CLinkLabel::LaunchUrl(const QString& address) const {
  const UiHooks& hooks = uiHooks();
  if (hooks.openExternal && hooks.openExternal(address)) return kLaunchSucceeded;
  // The opener gives no reason; "no program for it" is what refusals mean here.
  const int openerResult = kLaunchNoAssociation;
  if (!m_fallback.handlerCommand || !m_fallback.runCommand) return openerResult;
  const QString scheme = QUrl(address).scheme();
  const std::optional<std::string> handler =
      m_fallback.handlerCommand(scheme.isEmpty() ? std::string("http") : scheme.toStdString());
  if (!handler) return openerResult;
  const std::optional<std::string> command =
      buildLaunchCommand(*handler, address.toLocal8Bit().toStdString());
  if (!command) return openerResult;
  return m_fallback.runCommand(*command) ? kLaunchSucceeded : kLaunchFileNotFound;
}

void CLinkLabel::ShowLaunchError(int code) {
  QApplication::beep();
  const UiHooks& hooks = uiHooks();
  if (hooks.showMessage) {
    hooks.showMessage(this, QString::fromStdString(launchErrorText(code)));
  }
}

void CLinkLabel::FitToText() {
  QRect area = geometry();
  const QSize textSize = QFontMetrics(linkFont()).size(Qt::TextSingleLine, text());
  const Qt::Alignment align = alignment();
  if (align & Qt::AlignVCenter) {
    const int margin = (area.height() - textSize.height()) / 2;
    area.adjust(0, margin, 0, -margin);
  } else {
    area.setHeight(textSize.height());
  }
  if (align & Qt::AlignHCenter) {
    const int margin = (area.width() - textSize.width()) / 2;
    area.adjust(margin, 0, -margin, 0);
  } else if (align & Qt::AlignRight) {
    area.setLeft(area.left() + area.width() - textSize.width());
  } else {
    area.setWidth(textSize.width());
  }
  setGeometry(area);
}

bool CLinkLabel::isVisited() const { return m_visited; }

bool CLinkLabel::isMouseOver() const { return m_mouseOver; }

QColor CLinkLabel::textColour() const {
  if (m_mouseOver) return m_hoverColour;
  return m_visited ? m_visitedColour : m_linkColour;
}

void CLinkLabel::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  m_mouseOver = true;
  update();
}

void CLinkLabel::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  m_mouseOver = false;
  update();
}

void CLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    OnClicked();
  }
}

void CLinkLabel::OnClicked() {
  const int result = LaunchUrl(m_address);
  m_visited = isLaunchSuccess(result);
  update();
  if (!m_visited) ShowLaunchError(result);
}

void CLinkLabel::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setFont(linkFont());
  painter.setPen(textColour());
  painter.drawText(contentsRect(), static_cast<int>(alignment()) | Qt::TextSingleLine, text());
}

QFont CLinkLabel::linkFont() const {
  QFont underlined = font();
  underlined.setUnderline(true);
  return underlined;
}

}  // namespace gui
