#include "tests/support/tlsfixture.h"

#include <QFile>
#include <QProcess>
#include <QSslConfiguration>
#include <QSslServer>

namespace {

// Extensions a strict verifier wants: a real CA, and a leaf for serverAuth with the loopback names.
const char kConfig[] = R"([req]
distinguished_name = dn
[dn]
[ca]
basicConstraints = critical,CA:TRUE
keyUsage = critical,keyCertSign,cRLSign
subjectKeyIdentifier = hash
[server]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = IP:127.0.0.1,DNS:localhost
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
)";

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TestCertificates::TestCertificates()
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return;
    }
    const QString config = m_dir.filePath(QStringLiteral("openssl.cnf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) || file.write(kConfig) < 0) {
        m_error = QStringLiteral("cannot write %1").arg(config);
        return;
    }
    file.close();
    const QStringList newKey{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-config", config};
    const QString ca = caFile();
    const QString caKey = m_dir.filePath(QStringLiteral("ca.key"));
    const QString request = m_dir.filePath(QStringLiteral("server.csr"));
    openssl(QStringList{"req", "-x509", "-days", "7", "-subj", "/CN=Cartavent test CA", "-extensions", "ca", "-keyout", caKey, "-out", ca} + newKey)
        && openssl(QStringList{"req", "-new", "-subj", "/CN=localhost", "-keyout", serverKeyFile(), "-out", request} + newKey)
        && openssl({"x509", "-req", "-days", "7", "-in", request, "-CA", ca, "-CAkey", caKey, "-set_serial", "2", "-extfile", config,
                    "-extensions", "server", "-out", serverCertFile()});
}

QString TestCertificates::caFile() const { return m_dir.filePath(QStringLiteral("ca.pem")); }
QString TestCertificates::serverCertFile() const { return m_dir.filePath(QStringLiteral("server.pem")); }
QString TestCertificates::serverKeyFile() const { return m_dir.filePath(QStringLiteral("server.key")); }
QSslCertificate TestCertificates::serverCertificate() const { return QSslCertificate(readFile(serverCertFile())); }
QSslKey TestCertificates::serverKey() const { return QSslKey(readFile(serverKeyFile()), QSsl::Ec); }

bool TestCertificates::openssl(const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("openssl"), arguments);
    if (process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    m_error = QStringLiteral("openssl %1: %2 %3").arg(arguments.value(0), process.errorString(), QString::fromLocal8Bit(process.readAll()));
    return false;
}

namespace {

QSslServer *tlsListener(const TestCertificates &certificates)
{
    auto *server = new QSslServer;
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(certificates.serverCertificate());
    configuration.setPrivateKey(certificates.serverKey());
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);  // clients bring no certificate
    server->setSslConfiguration(configuration);
    return server;
}

} // namespace

TlsFixtureServer::TlsFixtureServer(const TestCertificates &certificates)
    : ScriptedServer(tlsListener(certificates), QStringLiteral("https"))
{
}
