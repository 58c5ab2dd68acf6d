#pragma once
// Stands in for the mail program and the web browser: registered as the handler of a URL
// scheme, it records every link the program asks the system to open.

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

class UrlRecorder final : public QObject {
    Q_OBJECT
  public:
    explicit UrlRecorder(const QString& scheme) : scheme_(scheme) {
        QDesktopServices::setUrlHandler(scheme_, this, "open");
    }
    ~UrlRecorder() override { QDesktopServices::unsetUrlHandler(scheme_); }

    QList<QUrl> opened;

  public slots:
    void open(const QUrl& url) { opened.append(url); }

  private:
    QString scheme_;
};
