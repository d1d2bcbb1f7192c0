#include "kirv/base/file_digest.h"

#include "kirv/base/regular_file.h"

#include <QCryptographicHash>
#include <QFile>

#include <limits>
#include <memory>

#ifdef KIRV_OPENSSL_SHA256
#include <openssl/evp.h>
#endif

namespace kirv {

namespace {

constexpr qint64 BlockBytes = qint64(1) << 20;

#ifdef KIRV_OPENSSL_SHA256
// libcrypto's SHA-256 uses the processor's SHA instructions where it has them.
class Sha256
{
public:
    Sha256() : m_context(EVP_MD_CTX_new(), &EVP_MD_CTX_free)
    {
        m_ok = m_context && EVP_DigestInit_ex(m_context.get(), EVP_sha256(), nullptr) == 1;
    }
    void addData(QByteArrayView bytes)
    {
        m_ok = m_ok && EVP_DigestUpdate(m_context.get(), bytes.data(), size_t(bytes.size())) == 1;
    }
    // Empty when libcrypto failed (it never does short of memory).
    QByteArray result()
    {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        if (!m_ok || EVP_DigestFinal_ex(m_context.get(), digest, &length) != 1)
            return {};
        return QByteArray(reinterpret_cast<const char*>(digest), qsizetype(length));
    }

private:
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> m_context;
    bool m_ok = false;
};
#else
class Sha256
{
public:
    void addData(QByteArrayView bytes) { m_hash.addData(bytes); }
    QByteArray result() { return m_hash.result(); }

private:
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
};
#endif

} // namespace

FileStatus sha256OfFile(const QString& path, QByteArray& hex)
{
    QFile file;
    if (const FileStatus opened = openRegularFile(file, path, std::numeric_limits<qint64>::max());
        !opened.ok())
        return opened;
    Sha256 hash;
    QByteArray block(BlockBytes, Qt::Uninitialized);
    for (;;) {
        const qint64 n = file.read(block.data(), BlockBytes);
        if (n < 0)
            return FileStatus::failure("read", path, file.errorString());
        if (n == 0)
            break;
        hash.addData(QByteArrayView(block.constData(), n));
    }
    const QByteArray digest = hash.result();
    if (digest.isEmpty())
        return FileStatus::failure("read", path, QStringLiteral("the SHA-256 could not be taken"));
    hex = digest.toHex();
    return {};
}

QByteArray sha256Hex(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

} // namespace kirv
