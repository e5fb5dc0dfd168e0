#include "host/net/net_connection.h"
#include "platform/abort.h"
#include "testing/net/scripted_server.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

using host::TNetConnection;
using host::testing::Answer;
using host::testing::ScriptedServer;

namespace {

// A throwaway self-signed certificate for this machine, made with openssl.
class TlsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString key = m_dir.filePath("key.pem");
        m_certificateFile = m_dir.filePath("cert.pem");
        const QString command =
            QStringLiteral(
                "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 "
                "-subj /CN=localhost -addext subjectAltName=IP:127.0.0.1,DNS:localhost "
                "-keyout '%1' -out '%2' >/dev/null 2>&1")
                .arg(key, m_certificateFile);
        if (std::system(command.toLocal8Bit().constData()) != 0)
            GTEST_SKIP() << "openssl could not make a test certificate";
        m_server.useTls(read(m_certificateFile), read(key));
        m_server.start();
        m_server.setDefault("GetCia", Answer::emptyPacket());
        m_connection.setDeadline(2000);
        m_connection.setBeforeConnect([this](TNetConnection &connection) {
            connection.SetHost(m_server.host());
            connection.setPort(m_server.port());
        });
    }

    static QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    QString m_certificateFile;
    ScriptedServer m_server;
    TNetConnection m_connection;
};

} // namespace

// Over TLS with the server's root certificate, calls and the token get through.
TEST_F(TlsTest, CallsAndTokenOverTls)
{
    m_connection.setTlsRootCertificateFile(m_certificateFile);
    m_connection.setBearerToken("s3cr3t");
    m_connection.connect();
    ASSERT_TRUE(m_connection.appServer().invoke("GetCia", {"0001"}).ok());
    EXPECT_EQ(m_server.lastCall().authorization(), "Bearer s3cr3t");
}

// A server whose certificate the client does not trust, or a plain client, is refused at connect.
TEST_F(TlsTest, UntrustedOrPlainClientRefused)
{
    m_connection.setTlsEnabled(true); // the system's roots do not sign the test certificate
    EXPECT_THROW(m_connection.connect(), platform::Error);
    EXPECT_FALSE(m_connection.isConnected());

    m_connection.setTlsEnabled(false);
    EXPECT_THROW(m_connection.connect(), platform::Error);
    EXPECT_EQ(m_server.callCount(), 0);
}

// A missing certificate file is reported when configured, in Portuguese.
TEST_F(TlsTest, MissingCertificateFileReported)
{
    try {
        m_connection.setTlsRootCertificateFile(m_dir.filePath("none.pem"));
        FAIL() << "missing file accepted";
    } catch (const platform::Error &error) {
        EXPECT_TRUE(
            error.message().startsWith(QString::fromUtf8("Não foi possível ler o certificado")))
            << error.what();
    }
}
