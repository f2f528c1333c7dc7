// The texts a failure shows: the I/O error's message per system code, the errno mapping behind
// it, and the period the error box appends.

#include "assembly/error_message.h"
#include "assembly/failure_cause.h"
#include "assembly/io_error.h"
#include "test_support.h"

#include <cerrno>
#include <gtest/gtest.h>

using assembly::EInOutError;
using assembly::systemCodeFromErrno;
using assembly::withFinalPeriod;

TEST(FinalPeriod, IsAppendedAfterLettersDigitsAndAccentedLetters)
{
    EXPECT_EQ(withFinalPeriod("Fichier introuvable"), "Fichier introuvable.");
    EXPECT_EQ(withFinalPeriod("Erreur E/S 112"), "Erreur E/S 112.");
    // UTF-8: the last byte is a continuation byte, which must not compare as negative.
    EXPECT_EQ(withFinalPeriod("Accès au fichier refusé"), "Accès au fichier refusé.");
    // Windows-1252 "é" as a single byte sorts after '.' too.
    EXPECT_EQ(withFinalPeriod("refus\xe9"), "refus\xe9.");
    EXPECT_EQ(withFinalPeriod("chemin/"), "chemin/.");
}

TEST(FinalPeriod, IsNotAppendedAfterPunctuationBlanksOrNothing)
{
    EXPECT_EQ(withFinalPeriod("Echec de la conversion."), "Echec de la conversion.");
    EXPECT_EQ(withFinalPeriod("liste,"), "liste,");
    EXPECT_EQ(withFinalPeriod("(code 5)"), "(code 5)");
    EXPECT_EQ(withFinalPeriod("fin "), "fin ");
    EXPECT_EQ(withFinalPeriod("a-"), "a-");
    EXPECT_EQ(withFinalPeriod(""), "");
}

TEST(InOutError, MessagesFollowTheSystemCode)
{
    EXPECT_STREQ(EInOutError(2, "x").what(), "Fichier introuvable");
    EXPECT_STREQ(EInOutError(3, "x").what(), "Nom de fichier incorrect");
    EXPECT_STREQ(EInOutError(4, "x").what(), "Trop de fichiers ouverts");
    EXPECT_STREQ(EInOutError(5, "x").what(), "Accès au fichier refusé");
    EXPECT_STREQ(EInOutError(32, "x").what(), "Erreur E/S 32");
    EXPECT_STREQ(EInOutError(112, "x").what(), "Erreur E/S 112");
    EXPECT_EQ(EInOutError(112, "/d/final.eps").path(), "/d/final.eps");
}

TEST(InOutError, MissingFileIsCodeTwoOnlyWhenItsFolderExists)
{
    testing_support::TempDir dir;
    EXPECT_EQ(systemCodeFromErrno(ENOENT, dir.file("absent.eps")), 2);
    EXPECT_EQ(systemCodeFromErrno(ENOENT, dir.file("absent/final.eps")), 3);
    // A plain file where a folder is expected is no folder either.
    testing_support::writeFile(dir.file("plain"), "x");
    EXPECT_EQ(systemCodeFromErrno(ENOENT, dir.file("plain/final.eps")), 3);
    EXPECT_EQ(systemCodeFromErrno(ENOENT, "/final.eps"), 2);
}

TEST(InOutError, ErrnoMapsOntoTheMessagesCodes)
{
    EXPECT_EQ(systemCodeFromErrno(ENOTDIR, "/x"), 3);
    EXPECT_EQ(systemCodeFromErrno(EMFILE, "/x"), 4);
    EXPECT_EQ(systemCodeFromErrno(ENFILE, "/x"), 4);
    EXPECT_EQ(systemCodeFromErrno(EACCES, "/x"), 5);
    EXPECT_EQ(systemCodeFromErrno(EPERM, "/x"), 5);
    EXPECT_EQ(systemCodeFromErrno(EROFS, "/x"), 5);
    EXPECT_EQ(systemCodeFromErrno(ENOSPC, "/x"), 112);
    EXPECT_EQ(systemCodeFromErrno(EDQUOT, "/x"), 112);
    EXPECT_STREQ(EInOutError::fromErrno(ENOSPC, "/x").what(), "Erreur E/S 112");
    EXPECT_STREQ(EInOutError::fromErrno(ENAMETOOLONG, "/x").what(), "Erreur E/S 206");
    EXPECT_EQ(EInOutError::fromErrno(EACCES, "/x").code(), 5);
}

TEST(InOutError, UnlistedErrnoNeverPassesForAListedMeaning)
{
    // errno 3 (ESRCH), 4 (EINTR) and 5 (EIO) must not read as "path not found", "too many
    // open files" or "access denied".
    for (int error : {ESRCH, EINTR, EIO, ECONNRESET, ENOMEM}) {
        const int code = systemCodeFromErrno(error, "/x");
        EXPECT_TRUE(code < 2 || code > 5) << "errno " << error << " gave " << code;
        EXPECT_NE(code, 112) << "errno " << error;
    }
}

TEST(FailureCause, AReadySentenceWithoutAFileIsTheWholeLine)
{
    const std::string sentence = "la conversion a dépassé 60 secondes";
    EXPECT_EQ(assembly::causeLine({"", sentence}), sentence);
    EXPECT_EQ(assembly::causeLine({"/x/a.eps", sentence}), "/x/a.eps : " + sentence);
}
