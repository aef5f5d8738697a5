#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "messages/Language.h"
#include "messages/MessagePair.h"
#include "messages/MessageTable.h"

namespace plimo {
namespace {

const MessagePair kAllPairs[] = {
    kMessageNoInputFile,
    kMessageSameInputOutput,
    kMessageNoSoundCard,
    kMessageNoMicrophone,
    kMessageCannotCreateRecording,
    kMessageCannotOpenMicrophone,
    kMessageCannotOpenSpeaker,
    kMessageCannotFindSettingsFile,
    kMessageCannotCreateSettingsFile,
    kMessageInvalidSettingsFile,
    kMessageCannotWriteOutputFile,
    kMessageCannotProcessInputFile,
    kMessageCannotFindHelpFile,
    kMessageLowDelayDuration,
    kMessageCannotCreateVirtualMicrophone,
    kMessageCannotOpenVirtualMicrophone,
    kMessageNoSuchDevice,
    kTextProgress,
    kTextDelay,
    kTextVirtualMicrophone,
    kTextVoiceSink,
    kTextSendToMicrophone,
    kTextHearMyself,
    kTextSystemDefault,
    kTextAbout,
};

// Decodes UTF-8 strictly (no overlong forms, no surrogates); false on any
// malformed sequence.
bool DecodeUtf8(const std::string& text, std::vector<char32_t>* codePoints) {
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int extra = 0;
    char32_t value = 0;
    if (lead < 0x80) {
      value = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      value = lead & 0x0F;
    } else {
      return false;  // four-byte forms never occur in these texts
    }
    if (extra > 0 && i + static_cast<size_t>(extra) >= text.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      value = (value << 6) | (next & 0x3F);
    }
    if ((extra == 1 && value < 0x80) || (extra == 2 && value < 0x800) ||
        (value >= 0xD800 && value <= 0xDFFF)) {
      return false;
    }
    codePoints->push_back(value);
    i += static_cast<size_t>(extra) + 1;
  }
  return true;
}

// The letters the Turkish alphabet adds to ASCII; all of them exist in
// code page 1254, so every text can be shown by a single-byte window too.
bool IsAsciiOrTurkishLetter(char32_t c) {
  if (c < 0x80) return true;
  constexpr char32_t kTurkishLetters[] = {U'Ç', U'ç', U'Ğ', U'ğ', U'İ', U'ı',
                                          U'Ö', U'ö', U'Ş', U'ş', U'Ü', U'ü'};
  for (char32_t letter : kTurkishLetters) {
    if (c == letter) return true;
  }
  return false;
}

TEST(MessageTable, EnglishTextsArePlainAsciiAndTurkishTextsUseOnlyTurkishLetters) {
  for (const MessagePair& pair : kAllPairs) {
    const std::string english = pair.english;
    ASSERT_FALSE(english.empty());
    for (char c : english) {
      EXPECT_LT(static_cast<unsigned char>(c), 0x80) << english;
    }
    std::vector<char32_t> turkish;
    ASSERT_TRUE(DecodeUtf8(pair.turkish, &turkish)) << pair.turkish;
    ASSERT_FALSE(turkish.empty());
    for (char32_t c : turkish) {
      EXPECT_TRUE(IsAsciiOrTurkishLetter(c))
          << pair.turkish << " has U+" << std::hex << static_cast<uint32_t>(c);
    }
  }
}

TEST(MessageTable, TurkishLettersArriveIntactAsUtf8) {
  // Bytes of the dotless i, s-cedilla and capital dotted I: a source file
  // saved in another encoding would change them.
  EXPECT_EQ(std::string(kMessageCannotFindSettingsFile.turkish), "Ayar dosyas\xC4\xB1 bulunam\xC4\xB1yor!");
  EXPECT_EQ(std::string(kMessageCannotCreateSettingsFile.turkish),
            "Ayar dosyas\xC4\xB1 olu\xC5\x9Fturulam\xC4\xB1yor!");
  EXPECT_EQ(std::string(kTextProgress.turkish), "\xC4\xB0\xC5\x9Flem: % ");
}

TEST(MessageTable, EveryConditionHasItsOwnText) {
  for (size_t a = 0; a < std::size(kAllPairs); ++a) {
    for (size_t b = a + 1; b < std::size(kAllPairs); ++b) {
      EXPECT_STRNE(kAllPairs[a].english, kAllPairs[b].english);
      EXPECT_STRNE(kAllPairs[a].turkish, kAllPairs[b].turkish);
    }
  }
}

TEST(Language, OnlyTheValueOneSelectsTurkish) {
  const MessagePair pair = kMessageNoMicrophone;
  EXPECT_STREQ(ChooseText(pair, kLanguageTurkish), "Mikrofon bulunamadı!");
  for (int32_t language : {kLanguageEnglish, 0, -1, 3}) {
    EXPECT_STREQ(ChooseText(pair, language), "Cannot initialize microphone!") << language;
  }
}

TEST(Language, TheBuiltFlagPicksTheText) {
  const int32_t flag = LanguageFlag();
  EXPECT_STREQ(ChooseText(kTextProgress), IsTurkish(flag) ? "İşlem: % " : "Process: % ");
}

}  // namespace
}  // namespace plimo
