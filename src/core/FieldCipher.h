#pragma once
// The enciphered fields (My Number, joint My Numbers, protected memos and the
// common My Number of the settings) are stored as upper-case hexadecimal text:
// one byte holding the plain text's length, then the plain text (code page
// 932 bytes, zero-padded to whole 16-byte blocks) enciphered with AES-128 in
// ECB mode. A 12-digit number gives "0C" and 32 more digits.

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

struct evp_cipher_ctx_st;

// The system's one field key. Every enciphered value in every address book
// and settings file depends on it: changing it makes all stored values
// unreadable.
inline constexpr char kFieldKey[] = "Tv21kF#q8Lm2xR7w";

// Enciphers text under the first 16 characters of keyText (a shorter key is
// padded with zero bytes). An empty text gives an empty result. A text longer
// than 255 bytes cannot carry its length in one byte: the result is empty and
// *ok is set to false.
QByteArray EncryptAESString(const QByteArray& text, const QByteArray& keyText, bool* ok = nullptr);

// Deciphers a stored value. Blank text gives an empty result. Text that is not
// a well-formed stored value (odd length, not hexadecimal, a length byte that
// does not match the number of blocks, non-zero padding) gives an empty
// result and false, so damaged data is never shown as if it were the value.
bool DecryptAESString(const QByteArray& text, const QByteArray& keyText, QByteArray& result);

// Deciphers many stored values under one key schedule (DecryptAESString makes
// one per value): what a pass over a whole book uses. Same rules and results.
class TFieldDecipher {
public:
    explicit TFieldDecipher(const QByteArray& keyText = QByteArray(kFieldKey));
    ~TFieldDecipher();
    TFieldDecipher(const TFieldDecipher&) = delete;
    TFieldDecipher& operator=(const TFieldDecipher&) = delete;

    bool Decipher(std::string_view stored, std::string& plain) const;

private:
    evp_cipher_ctx_st* ctx_ = nullptr;
};

// Tests a My Number: kind 0 an individual number (12 digits, the last a
// check digit), kind 1 a corporate number (13 digits, the first a check
// digit). Returns 0 when valid, 1 when a character is not a digit 0-9, 2 for
// the wrong length, 3 for a wrong check digit.
int CheckMyNumber(const QString& text, int kind);

