#pragma once

#include "components/tray_area.h"
#include "components/tray_fake_area.h"
#include "components/tray_icon.h"
#include "messaging/send_queue.h"
#include "messaging/sendf.h"
#include "platform/profile.h"
#include "shell/app_settings.h"
#include "shell/form1.h"
#include "support/doubles.h"
#include "support/fake_resolver.h"
#include "support/test_env.h"

#include <QColor>
#include <QHostAddress>
#include <QImage>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

// A computer that receives messages: everything one connection carried until its sender
// closed it, per connection, with the local address it was sent to.
class Receiver {
public:
    struct Message {
        QHostAddress to;
        QByteArray bytes;
        bool closed = false;
    };

    bool listen(const QHostAddress& address, quint16 port) {
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                const auto index = messages.size();
                messages.push_back({s->localAddress(), {}, false});
                QObject::connect(s, &QTcpSocket::readyRead, s,
                                 [this, s, index] { messages[index].bytes += s->readAll(); });
                QObject::connect(s, &QTcpSocket::disconnected, s, [this, s, index] {
                    if (s->isOpen())
                        messages[index].bytes += s->readAll();
                    messages[index].closed = true;
                });
            }
        });
        return server_.listen(address, port);
    }
    // Messages whose connection has ended.
    std::size_t complete() const {
        std::size_t n = 0;
        for (const Message& m : messages)
            n += m.closed ? 1 : 0;
        return n;
    }

    std::vector<Message> messages;

private:
    QTcpServer server_;
};

inline const QRgb kActiveColour = qRgb(0, 255, 0), kPausedColour = qRgb(160, 160, 164),
                  kSendingColour = qRgb(255, 255, 0);

// Form1 with its server paused on a fake tray, the send window, and a resolver the test
// scripts. The client socket connects to `port`.
class SendFixture : public ::testing::Test {
protected:
    SendFixture() {
        AppSettings = {};
        writeIcon("Active.ico", kActiveColour);
        writeIcon("deActive.ico", kPausedColour);
        writeIcon("Sending.ico", kSendingColour);
        port = freePort();
        writeFile(env.systemPath(kConfigFile),
                  "[Chatterwick 2]\r\nDontActivateServer=1\r\nDefPort=" + QByteArray::number(port) +
                      "\r\n");
        previousArea = setTrayAreaFactory([this] {
            auto fake = std::make_unique<FakeTrayArea>();
            area = fake.get();
            return fake;
        });
    }
    ~SendFixture() override {
        SendF = nullptr;
        sendf.reset();
        form.reset();
        setTrayAreaFactory(previousArea);
    }

    // The main window first, then the send window, as the program makes them.
    void start() {
        form = std::make_unique<TForm1>();
        sendf = std::make_unique<TSendF>();
        SendF = sendf.get();
    }

    void writeIcon(const char* name, QRgb colour) {
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(QColor(colour));
        ASSERT_TRUE(image.save(env.path(QLatin1String(name)), "ICO"));
    }

    QRgb trayColour() const { return form->tri->Icon().image().pixmap(16).toImage().pixel(4, 4); }
    // The pictures the notification area was handed, in order, without repeats.
    std::vector<QRgb> trayHistory() const {
        std::vector<QRgb> colours;
        for (const auto& call : area->calls) {
            const QRgb c = call.data.icon.pixmap(16).toImage().pixel(4, 4);
            if (colours.empty() || colours.back() != c)
                colours.push_back(c);
        }
        return colours;
    }

    // Writes a message into the window and presses "Отправить".
    void send(const QByteArray& address, const QByteArray& text) {
        sendf->setAddress(address);
        sendf->setMessageText(text);
        sendf->sendb->click();
    }

    InTempDir env;
    ScopedSystemDirectory system{env.systemDir()};
    FakeResolver& resolver = useFakeResolver();
    quint16 port = 0;
    TrayAreaFactory previousArea;
    FakeTrayArea* area = nullptr;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TSendF> sendf;
};
