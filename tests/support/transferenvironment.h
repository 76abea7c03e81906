#pragma once
// Helpers shared by the tests of the HTTP client and of the fetch queue.
#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <utility>

// Clears every variable that steers libcurl (proxies, CA bundle) and puts the test
// runner's values back when it goes, so no row leaks its settings into the next and
// a proxy of the machine running the tests never sees loopback traffic.
class TransferEnvironment {
public:
    TransferEnvironment()
    {
        for (const char *name : names()) {
            m_saved.append({name, qgetenv(name)});
            m_had.append(qEnvironmentVariableIsSet(name));
            qunsetenv(name);
        }
    }
    ~TransferEnvironment()
    {
        for (qsizetype i = 0; i < m_saved.size(); ++i) {
            if (m_had[i])
                qputenv(m_saved[i].first, m_saved[i].second);
            else
                qunsetenv(m_saved[i].first);
        }
    }
    TransferEnvironment(const TransferEnvironment &) = delete;
    TransferEnvironment &operator=(const TransferEnvironment &) = delete;

private:
    static QList<const char *> names()
    {
        return {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY",
                "no_proxy", "NO_PROXY", "SSL_CERT_FILE", "SSL_CERT_DIR", "CURL_CA_BUNDLE"};
    }
    QList<std::pair<const char *, QByteArray>> m_saved;
    QList<bool> m_had;
};

// Bytes that differ at every offset, so a misplaced or repeated piece shows.
inline QByteArray bodyPattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + i / 251) & 0xff);
    return bytes;
}
