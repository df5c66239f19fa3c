#include "core/FieldCipher.h"

#include "platform/Cp932.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <openssl/evp.h>

namespace {

constexpr int kBlock = 16;

struct CipherCtxDeleter {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, CipherCtxDeleter>;

// AES-128-ECB without padding over whole blocks; false on any library failure.
bool aesEcb(bool encrypt, const QByteArray& keyText, const QByteArray& in, QByteArray& out)
{
    unsigned char key[kBlock] = {};
    std::copy_n(keyText.constData(), std::min<qsizetype>(keyText.size(), kBlock), key);

    CipherCtx ctx(EVP_CIPHER_CTX_new());
    if (!ctx || EVP_CipherInit_ex(ctx.get(), EVP_aes_128_ecb(), nullptr, key, nullptr, encrypt ? 1 : 0) != 1
        || EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1)
        return false;
    out.resize(in.size());
    int written = 0;
    int last = 0;
    if (EVP_CipherUpdate(ctx.get(), reinterpret_cast<unsigned char*>(out.data()), &written,
                         reinterpret_cast<const unsigned char*>(in.constData()), int(in.size()))
            != 1
        || EVP_CipherFinal_ex(ctx.get(), reinterpret_cast<unsigned char*>(out.data()) + written, &last) != 1
        || written + last != in.size())
        return false;
    return true;
}

} // namespace

QByteArray EncryptAESString(const QByteArray& text, const QByteArray& keyText, bool* ok)
{
    if (ok)
        *ok = true;
    if (text.isEmpty())
        return {};
    QByteArray cipher;
    if (text.size() > 255 || !aesEcb(true, keyText, text + QByteArray((kBlock - text.size() % kBlock) % kBlock, '\0'), cipher)) {
        if (ok)
            *ok = false;
        return {};
    }
    return (QByteArray(1, char(text.size())) + cipher).toHex().toUpper();
}

bool DecryptAESString(const QByteArray& text, const QByteArray& keyText, QByteArray& result)
{
    std::string plain;
    const bool ok = TFieldDecipher(keyText).Decipher(std::string_view(text.constData(), size_t(text.size())), plain);
    result = QByteArray(plain.data(), qsizetype(plain.size()));
    return ok;
}

TFieldDecipher::TFieldDecipher(const QByteArray& keyText)
{
    unsigned char key[kBlock] = {};
    std::copy_n(keyText.constData(), std::min<qsizetype>(keyText.size(), kBlock), key);
    ctx_ = EVP_CIPHER_CTX_new();
    if (ctx_ && (EVP_DecryptInit_ex(ctx_, EVP_aes_128_ecb(), nullptr, key, nullptr) != 1
                 || EVP_CIPHER_CTX_set_padding(ctx_, 0) != 1)) {
        EVP_CIPHER_CTX_free(ctx_);
        ctx_ = nullptr;
    }
}

TFieldDecipher::~TFieldDecipher()
{
    if (ctx_)
        EVP_CIPHER_CTX_free(ctx_);
}

bool TFieldDecipher::Decipher(std::string_view stored, std::string& plain) const
{
    plain.clear();
    while (!stored.empty() && static_cast<unsigned char>(stored.front()) <= 0x20)
        stored.remove_prefix(1);
    while (!stored.empty() && static_cast<unsigned char>(stored.back()) <= 0x20)
        stored.remove_suffix(1);
    if (stored.empty())
        return true;
    if (!ctx_ || stored.size() % 2 != 0)
        return false;
    auto nibble = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    for (const char c : stored)
        if (nibble(c) < 0)
            return false;
    // A length byte of at most 255 and its blocks: 257 bytes at the most.
    const size_t count = stored.size() / 2;
    const size_t length = size_t(nibble(stored[0]) * 16 + nibble(stored[1]));
    const size_t blocks = count - 1;
    if (blocks != (length + kBlock - 1) / kBlock * kBlock)
        return false;
    unsigned char bytes[256], out[256];
    for (size_t i = 0; i < blocks; ++i)
        bytes[i] = static_cast<unsigned char>(nibble(stored[2 * i + 2]) * 16 + nibble(stored[2 * i + 3]));
    int written = 0;
    if (blocks && (EVP_DecryptUpdate(ctx_, out, &written, bytes, int(blocks)) != 1 || size_t(written) != blocks))
        return false;
    // The padding was written as zeros; anything else means a wrong key or
    // damaged data.
    for (size_t i = length; i < blocks; ++i)
        if (out[i] != 0)
            return false;
    plain.assign(reinterpret_cast<const char*>(out), length);
    return true;
}

namespace {

// Check digit by the published rules. Individual numbers: the 11 digits P(n),
// n counted from the right, weighted Q(n) = n + 1 for n <= 6 and n - 5 above;
// remainder r of the sum by 11; the check digit is 0 for r <= 1, else 11 - r.
// Corporate numbers: the 12 digits weighted 1 (odd n) and 2 (even n); the
// check digit is 9 - (sum mod 9).
int checkDigit(const QString& base, int kind)
{
    int sum = 0;
    const qsizetype count = base.size();
    for (qsizetype n = 1; n <= count; ++n) {
        const int p = base[count - n].unicode() - u'0';
        const int q = kind == 1 ? (n % 2 == 1 ? 1 : 2) : (n <= 6 ? int(n) + 1 : int(n) - 5);
        sum += p * q;
    }
    if (kind == 1)
        return 9 - sum % 9;
    const int r = sum % 11;
    return r <= 1 ? 0 : 11 - r;
}

} // namespace

int CheckMyNumber(const QString& text, int kind)
{
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return 1;
    const bool corporate = kind == 1;
    if (text.size() != (corporate ? 13 : 12))
        return 2;
    const int given = (corporate ? text.front() : text.back()).unicode() - u'0';
    const QString base = corporate ? text.mid(1) : text.left(11);
    return checkDigit(base, corporate ? 1 : 0) == given ? 0 : 3;
}
