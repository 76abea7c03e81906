#pragma once
// What every fuzz target shares: the entry points libFuzzer calls, a Qt application for
// the code that needs one, and a reader that turns fuzz bytes into typed values.
#include <QByteArray>
#include <QtGlobal>

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);

// Creates the one QGuiApplication (offscreen) the targets run under.
void startFuzzApplication();

// Takes values off the front of the input; past its end every value is zero.
class FuzzInput {
public:
    FuzzInput(const uint8_t *data, size_t size)
        : m_data(data)
        , m_size(size)
    {
    }

    template <typename T>
    T take()
    {
        T value{};
        const size_t n = qMin(sizeof(T), m_size - m_at);
        std::memcpy(&value, m_data + m_at, n);
        m_at += n;
        return value;
    }
    QByteArray rest()
    {
        const QByteArray bytes(reinterpret_cast<const char *>(m_data + m_at), qsizetype(m_size - m_at));
        m_at = m_size;
        return bytes;
    }
    size_t remaining() const { return m_size - m_at; }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_at = 0;
};
