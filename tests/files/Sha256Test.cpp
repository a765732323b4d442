// SPDX-License-Identifier: GPL-3.0-or-later
// SHA-256 against the known answers of FIPS 180-4's examples and the NIST
// test vectors.
#include "files/Sha256.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct VECTOR {
    std::string message;
    const char* digest;
};

const VECTOR kVectors[] = {
    {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
     "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
    {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
};

TEST(Sha256, KnownAnswers) {
    for (const VECTOR& v : kVectors) EXPECT_EQ(Sha256Hex(v.message), v.digest) << v.message.size() << " bytes";
}

// Pieces of every length up to 130 bytes (across the 55/56/64-byte padding
// edges) give the digest of the whole.
TEST(Sha256, PiecewiseUpdatesMatchTheWhole) {
    const std::string& message = kVectors[3].message;
    for (std::size_t piece = 1; piece <= 130; ++piece) {
        CSha256 sha;
        for (std::size_t at = 0; at < message.size(); at += piece)
            sha.Update(message.data() + at, std::min(piece, message.size() - at));
        EXPECT_EQ(sha.FinishHex(), kVectors[3].digest) << "pieces of " << piece;
    }
}

TEST(Sha256, FileDigestAndUnreadableFile) {
    CTempFolder folder("dw_sha");
    std::string hex, error;
    ASSERT_TRUE(Sha256OfFile(folder.Write("abc.log", "abc"), hex, &error)) << error;
    EXPECT_EQ(hex, kVectors[1].digest);
    hex = "unchanged";
    EXPECT_FALSE(Sha256OfFile(folder.File("missing.log"), hex, &error));
    EXPECT_EQ(hex, "unchanged");
    EXPECT_FALSE(error.empty());
}

}  // namespace
