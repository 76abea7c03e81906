#pragma once
// A throwaway certificate authority and a TLS twin of FixtureServer, so https code can be
// tested against 127.0.0.1 without touching the system's trust store.
#include "tests/support/fixtureserver.h"

#include <QSslCertificate>
#include <QSslKey>
#include <QTemporaryDir>

// A fresh CA and a server certificate it signed for 127.0.0.1 and localhost, made with the
// openssl command line (EC prime256v1 keys, quick to make). Files live as long as the object.
class TestCertificates {
public:
    TestCertificates();

    bool isValid() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }  // the failing openssl step and its output

    QString caFile() const;          // PEM; what a client trusts (SSL_CERT_FILE, --cacert)
    QString serverCertFile() const;  // PEM, signed by the CA
    QString serverKeyFile() const;   // PEM, unencrypted
    QSslCertificate serverCertificate() const;
    QSslKey serverKey() const;

private:
    bool openssl(const QStringList &arguments);

    QTemporaryDir m_dir;
    QString m_error;
};

// Same scripting as FixtureServer, over TLS with the server certificate of certificates.
// url() gives "https://127.0.0.1:port/path"; connections counts completed handshakes.
class TlsFixtureServer : public ScriptedServer {
public:
    explicit TlsFixtureServer(const TestCertificates &certificates);
};
