#include "ui/qt_text.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringDecoder>
#include <QStringList>

namespace tce::ui {

QString FromBytes(const std::string& bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = decoder.decode(
      QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!decoder.hasError()) return text;
  return QString::fromLatin1(bytes.data(),
                             static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text) { return text.toUtf8().toStdString(); }

std::string ToBytesCrLf(const QString& text) {
  QString copy = text;
  copy.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  copy.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return ToBytes(copy);
}

QString WrapTip(const QString& text, int width) {
  QStringList lines;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    if (line.size() <= width) {
      lines << line;
      continue;
    }
    QString current;
    for (const QString& word : line.split(QLatin1Char(' '))) {
      if (!current.isEmpty() && current.size() + 1 + word.size() > width) {
        lines << current;
        current = word;
      } else {
        current += (current.isEmpty() ? QString() : QStringLiteral(" ")) + word;
      }
    }
    lines << current;
  }
  return lines.join(QLatin1Char('\n'));
}

int Px(int twips) {
  static const double dpi = [] {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
  }();
  return static_cast<int>(twips * dpi / 1440.0 + 0.5);
}

}  // namespace tce::ui
