#include "guess.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>

#include "english_model.h"
#include "guess_model.h"
#include "language_models.h"
#include "utf8.h"

namespace {

// Quarter bits, as the model's tables.
constexpr std::int64_t quoteCost = 24;         // « », which typography pairs
constexpr std::int64_t punctuationCost = 36;   // – — … № § © ° and the like
constexpr std::int64_t rareMarkCost = 48;      // ‘ ’ “ ” „ • £ µ ¶
constexpr std::int64_t gluedCost = 48;         // a mark on its wrong side of a letter
// Two signs beyond ASCII side by side, unless both open quotes or both
// close them («„, …», “») or one is drawn out (——, ••): Russian text
// sets each alone, where Mac reads Windows' abbreviations in capitals as
// pairs of them (ФС as ‘—, ИС as »—, ЗИ as «»), and Windows reads Mac's
// (ЦД as –„). № and § keep to their own rule, before a number.
constexpr std::int64_t signPairCost = 32;
// A dash after a space that follows a comma or a sentence's end, or that
// opens a line (Ничего, — сказал он; Куда? — спросила она. — Я знаю):
// direct speech and the author's words, which Russian sets apart so. The
// model's text, which writes few dashes, prices the dash as any rare mark,
// where Windows reads Mac's dash as С, a word of its own. A dash at a
// cut's start stays at that price, and so does one after a sentence's end
// that ends the text: Windows' С there (С помощью, рискнуть. С) was
// commoner in the tuning sets; after a comma Windows' capital is rarer.
constexpr std::int64_t speechDashWordDiscount = 12;
// A dash between spaces inside a sentence (Москва — столица): between
// small letters the tuning sets hold it 475 times, Windows' С alone there
// 8. Windows reads Mac's dash as that С, and at a rare mark's price Mac's
// reading kept only a bit or two ahead of it.
constexpr std::int64_t dashBetweenSpacesDiscount = 24;
// A closing guillemet after a space and before anything but a space or
// the text's end: Mac's reading of Windows' И as a word (Иванов И. И.);
// and a ” after a space before a mark: Windows' reading of Mac's Ф (-- Ф.).
constexpr std::int64_t closerAfterSpaceCost = 24;
// и в с к у lead the words after them: the model's text sets и alone
// before a comma or a semicolon once in 145 times, в с к у hardly ever,
// where a word in 13 stands so. Windows reads Mac's » there as И (»,
// нажать). Before a colon they may label a field (У:, В:).
constexpr std::int64_t leadingWordBeforeClauseCost = 16;
// № before a word, not a number: Windows' reading of Mac's Ukrainian є
// (не № файлом), but also a column's heading (№ заказа), which a whole
// glued mark's cost would give to Mac. A heading starts its line.
constexpr std::int64_t wordAfterNumberSignCost = 24;
constexpr std::int64_t wordAfterNumberSignInLineCost = 64;
// A no-break space after a number or a full stop is where typography
// puts one (10 руб., т. е.); Windows' К there (10Круб.) is rare.
constexpr std::int64_t boundNoBreakSpaceDiscount = 16;
// What comes before a no-break space, for it: a number or a full stop,
// which it binds to the word after, or an opening bracket, which nothing
// need be bound to, and where Mac reads Windows' К starting a name: кечуа
// (Куско), ( уско. A letter after that costs what one glued to a mark's
// wrong side does; a Latin one does not, as KOI8-R reads Latin-1's Ü and
// Mac Roman's ö as a no-break space ((ÜBERSPRUNGEN), Armenisch (östlich)).
namespace BeforeNoBreakSpace {
constexpr std::uint8_t other = 0, binding = 1, opensBracket = 2;
}  // namespace BeforeNoBreakSpace
// Letters of the other Cyrillic languages that Russian lacks: Ukrainian's
// and Belarusian's, and with them Serbian's and Macedonian's.
constexpr std::u32string_view ukrainianAndBelarusianLetters = U"іїєўґІЇЄЎҐ";
constexpr std::u32string_view lettersRussianLacks = U"іїєўґђјљњћџѓќѕІЇЄЎҐЂЈЉЊЋЏЃЌЅ";
constexpr std::int64_t foreignLetterCost = 80; // Ukrainian, Serbian, ...
constexpr std::int64_t rareForeignLetterCost = 96; // ґ, which Ukrainian seldom writes
// Mac Cyrillic's і ї є ў, which Windows reads as ґ » № Щ: Russian text
// in the other pages puts box drawing there, marks, or letters whose
// neighbours Mac reads as marks, so Ukrainian and Belarusian in Mac
// Cyrillic may pay less for them without drawing Russian text to Mac.
constexpr std::u16string_view macKinLetters = u"іїєўІЇЄЎ";
constexpr std::int64_t macKinLetterCost = 48;
constexpr std::int64_t boxDrawingCost = 64;    // DOS tables
constexpr std::int64_t boxRunCost = 4;         // the same line drawn on: ════
// A letter drawn out past its second time (Ааааа, Уууу): three bits,
// where the model, learned from edited text, has most triples of one
// letter at ten bits or more.
constexpr std::int64_t repeatedLetterCost = 12;
constexpr std::int64_t oddCost = 96;           // anything else
constexpr std::int64_t malformedCost = 96;     // a byte no UTF-8 reads
// Binary data: at least this many foreign control bytes, more than one
// byte in this many; conclusive from the second count on.
constexpr std::size_t minBinaryControls = 4;
constexpr std::size_t binaryControlShare = 32;
constexpr std::size_t conclusiveBinaryControls = 32;
// Bytes above 0x7F, none of them a Russian letter, that settle a text as
// no Cyrillic page's.
constexpr std::size_t minConclusiveUpper = 64;
// Words in capitals up to this long may be abbreviations (ЦП, ФИО).
constexpr int longestAbbreviation = 3;
// A margin of 40 bits: the second reading is a trillion times less likely.
constexpr std::int64_t conclusiveMargin = 160;
// No reading costs this much, a margin added or not: a limit that stops none.
constexpr std::int64_t noCostLimit = std::numeric_limits<std::int64_t>::max() / 4;
// How much less likely a reading with a Russian letter may be than one
// without any and still be taken: a few marks and initials read either way.
constexpr std::int64_t lettersOverMarksMargin = 16;
// What it costs to say that a text is in a page, beside what its reading
// costs: files are seldom in ISO 8859-5, so it gives way where readings
// come within a bit. Measured on the tuning sets: a bit against Mac
// Cyrillic too cost more Mac snippets than it won Windows ones, and a
// larger prior more again.
constexpr std::int64_t pagePriorCost[codAfterLast] = {0, 0, 0, 0, 4, 0};
// Russian letter triples cost about 3.6 bits a letter; read in a Cyrillic
// page, Greek, Hebrew or Chinese cost 10 or more. A reading whose triples
// cost more than this a letter, with a slack for the few letters of a
// snippet cut mid-word, is some other language.
constexpr std::int64_t otherLanguageLetterCost = 28;
constexpr std::int64_t otherLanguageSlack = 64;
// What a unit after a number (28 мм) takes off a reading's cost, among the
// pages and as some other language's text, and off its spelling against
// Chinese and Japanese, which read KOI8-R's мм as a character of theirs.
constexpr std::int64_t knownUnitDiscount = 32;
// And what one in its own letters' case that the text goes on after takes
// off beside it: Windows' %.1f МБ, which KOI8-R reads as %.1f ла, a word's
// end. At the text's end a cut may have left the start of a longer word
// (KOI8-R's 8859-5 ла, which Windows reads as 8859-5 МБ); and a unit in
// capitals may be the other page's reading of small letters (KOI8-R's да,
// Windows' ДБ).
constexpr std::int64_t endedUnitDiscount = 16;
// And what one of the commonest short words between spaces, or an "and
// so on" (т. д.), takes off: a word among commands (-m як
// --block-size=1M, АРГ1 не дорівнює АРГ2) has little room to spell as
// its language does.
constexpr std::int64_t commonWordDiscount = 32;
// What each capital of a placeholder (--file=ФАЙЛ) takes off a reading's
// cost as some other language's text: about 6 bits, which with the 5 a
// capital already gets leaves the 11 or so the model prices an
// abbreviation's letter at.
constexpr std::int64_t placeholderCapitalDiscount = 24;
// Less against Greek, which spells its own placeholders well: KOI8-R reads
// its small letters as capitals (<όνομα> as <ЭМОЛА>), Windows its capitals
// (ΑΡΧΕΙΟ as БСЧЕЙП).
constexpr std::int64_t placeholderCapitalRivalDiscount = 8;
// Bytes above 0x7F only in pairs: Chinese or Japanese, unless the
// letters spell as Russian does.
constexpr std::int64_t pairedLetterCost = 24;
// But half of all Russian words are even, and a name or two of even length
// (Кайван Агхаипур, Таулькнафьярдархреппюр) is no Chinese: where each run
// reads as a word, small but for a first capital or capitals throughout,
// which two-byte characters read in a Cyrillic page rarely make (3 of 16
// runs of four), and its runs of at least this many letters hold this many
// letters. A word of two (ти, на, не) adds none: one character of those
// pages alone reads as two such letters as often.
constexpr std::size_t shortestPairedWord = 4;
constexpr std::size_t wordsNotPairsLetters = 12;
// Words of capitals throughout: Greek and Hebrew read in KOI8-R, whose
// capitals stand where their letters do. Russian set in capitals spells as
// Russian does, but for its names (АГНОВОН, УГРЮМ-БУРЧЕЕВ), and a shout
// is as likely to hold one as any other line: 4.5 bits called such lines
// another language.
constexpr std::int64_t otherLanguageCapitalCost = 20;
// A Russian letter glued to a Latin one: a Western text read in a Cyrillic
// page puts one or two inside each of its words.
constexpr std::int64_t mixedScriptCost = 64;
// On a whole short line, a word of three Russian letters glued to a Latin
// word keeps the line Russian (.relИМЯ, a placeholder before its section's
// name) unless the line spells this far past what Russian text may and no
// word longer than a short one stands apart from Latin letters: then they
// are another page's letters (KOI8-R reads Windows-1254's dışı as dЩЧЩ,
// Shift_JIS's マルチキャスト as CP866's Г}ГЛГ`ГLГГГXГg), not a Serbian
// line with a Latin j typed in (ациjе о медију).
constexpr std::int64_t gluedWordOtherLanguageCost = 64;
// A capital right after a small letter: Greek read in KOI8-R, whose
// capitals are Russian small letters there and the other way round
// (Μιστεκ reads лИСТЕЙ). Russian does it in units (кВт, мА) and names run
// together, now and then.
constexpr std::int64_t capitalAfterSmallCost = 24;
// Greek's and Hebrew's pages put letters where the Cyrillic pages do, and
// their words may spell as Russian ones (Hebrew מסמך reads осок). Where
// one of them spells a text better than Russian does, the text is in that
// language; for words of three Russian letters or fewer (ТИП, мм), which
// spell as well in Hebrew, only by this margin. So too for words that
// capitals start, among small letters, on lines with no Latin letter: a
// name under a mail's header line (> Лорд) or a subtitle's times. No page
// reads Hebrew's letters so, and its words stand among Latin ones on
// their lines (מסמך Microsoft Works).
constexpr std::int64_t shortWordRivalMargin = 48;
// And by this much more for a whole line shorter than a snippet must be
// to be judged: Greek and Hebrew spell some Russian and Ukrainian words
// and units better by a few bits (%s байт), a line of their own far better
// (Λήψη αρχείου). There they must spell it better than the other Cyrillic
// languages do too, by the second margin, as those spell some of those
// words better still (Bulgarian's септември, Serbian's тврдња).
constexpr std::int64_t shortLineRivalMargin = 56;
constexpr std::int64_t shortLineOverKinMargin = 16;
// A rival that spells a short line this much better than the other
// Cyrillic languages do asks no margin for short or capitalized words, and
// at most the second over Russian, not the short line's.
constexpr std::int64_t shortLineFarOverKinMargin = 64;
constexpr std::int64_t shortLineFarOverKinRivalMargin = 36;
// Less where the line's reading is mostly capitals in words longer than
// short ones, as KOI8-R reads Hebrew and Greek's small letters (לא פעיל,
// ЛА ПЕИЛ): Russian short lines set so are headings, which Russian
// spells well, and the second margin still holds.
constexpr std::int64_t shortLineCapitalsRivalMargin = 8;
// Given back, and more, where none of a short line's words is one a
// Cyrillic language is known to write: a Cyrillic line nearly always
// holds one, and another language's line read as Russian nearly never
// (Hebrew's קולורדו is Windows' чемешге, Greek's ΣΧΗΜΑΤΑ KOI8-R's
// свглата). A rival may then spell it worse than Russian does (by 15
// bits where the margins ask most); it must still spell it better than
// the other Cyrillic languages, which spell the names no list holds
// (Чефчауен).
constexpr std::int64_t unwrittenWordsRivalDiscount = 96;
// What a rival's common word of four letters or more takes off its
// spelling where that misses the margins: 4 bits; 6 lost a Belarusian
// snippet (кла памы) to Hebrew on the check sets.
constexpr std::int64_t longCommonRivalWordDiscount = 16;
// Unless the other Cyrillic languages spell it this much better than the
// rival: Hebrew's commonest letter, ת, is Windows' ъ, which Bulgarian sets
// between consonants as Russian never does (файлът е твърде дълъг). Less
// let Hebrew lines that KOI8-R reads as capitals be theirs.
constexpr std::int64_t kinOverRivalMargin = 128;
constexpr std::size_t longestShortWord = 3;
// Russian's spelling leaves case to the traits where the rival's prices
// it, and Chinese and Japanese have none: each capital after a small
// letter inside a word adds this much to Russian's side, and to the other
// Cyrillic languages', which spell as Russian does, as KOI8-R reads a
// Greek word's small letters after its capital (Λατινικά as кАТИМИЙэ).
// Not more: Russian's units set one so (мА).
constexpr std::int64_t rivalCapitalAfterSmallCost = 48;
// A rival read backwards, as visual Hebrew stores a line, must spell it
// this much better still, and better than the other Cyrillic languages by
// this much: a Russian word read backwards is one more chance for a
// Hebrew one (Windows' пеби read backwards is טבהן).
constexpr std::int64_t backwardRivalMargin = 96;
constexpr std::int64_t backwardOverKinMargin = 32;
// A Russian letter of the reading that is no letter in the rival's pages
// (KOI8-R's small letters are no Hebrew ones).
constexpr std::int64_t rivalUnreadLetterCost = 64;
// How much better than Russian Chinese or Japanese must spell a text, as
// their pages read it, for it to be theirs, whatever its length; and more
// where Russian reads it mostly as capitals.
constexpr std::int64_t pairedRivalMargin = 48;
constexpr std::int64_t pairedCapitalsMargin = 32;
// What two characters side by side that are one of the language's common
// words take off its spelling, which prices each character alone: a word
// is chosen whole (量化, 出力), where Russian read as Chinese or Japanese
// seldom pairs its characters so. Half as much again lost Bulgarian's
// Създаден in ISO 8859-5.
constexpr std::int64_t pairedCommonWordDiscount = 64;
// What one or two characters that make no common word cost beside their
// own prices: Cyrillic short words read as a character or two that
// Chinese writes often (ISO 8859-5's Bulgarian ПЪТИ is GBK's 渴赂; the unit
// ГЦ in capitals is one character), where Chinese among numbers and
// marks, 角 a (度):, which KOI8-R reads as ╫г a (╤х):, has nothing else to
// spell. Measured on the check sets: 4 bits lost units, 6 bits snippets
// cut after two letters (penCV дл in CP866), 10 bits won fewer lines.
constexpr std::int64_t fewPairedCharactersCost = 32;
// How much better than the bound for Russian the other Cyrillic languages
// must spell a reading to keep it from being called another language.
constexpr std::int64_t kinLanguageMargin = 64;
// Less where most letters are capitals, whose lower allowance above
// already keeps out Greek and Hebrew read in KOI8-R: Serbian and Bulgarian
// set a command's arguments so ([ ПИБ | КОРИСНИК ], -F ОТСПИСЪК).
constexpr std::int64_t kinCapitalsMargin = 32;
// How much less likely than the likeliest reading, which no language
// spells, one that those languages spell well may be and still be taken;
// beside it, half of what Russian charged it for Ukrainian's and
// Belarusian's letters (Windows' 64-бітні цілі, whose four і cost 80 bits,
// which KOI8-R reads as 64-АЁРМЁ ЖЁКЁ, no language's), less what it
// charged the likeliest for letters it lacks (Mac's Serbian Шоштањ, whose
// њ Windows reads as ї). Only half, as a page's reading of another's bytes
// holds their letters by chance too: Windows reads CP866's Serbian пиб as
// ЇЁЎ.
constexpr std::int64_t kinReadingMargin = 64;
// Windows-1251 and Mac Cyrillic differ in capitals and in a few letters
// (Serbian's ђ љ њ ћ џ are Mac's capitals, Mac's і is Windows' ґ). Where
// Russian spells both readings within this much, the other Cyrillic
// languages may tell them apart: their reading wins by this margin.
constexpr std::int64_t closeReadingsMargin = 32;
// 20 bits where the better reading sets a capital after a small letter
// inside a word and the other does not: Windows reads Mac's Serbian and
// Macedonian ј so (подножАе), and Russian rates a capital there less rare
// than ј; and ћ (скраМеница, 18 bits apart), which it prices at 20 bits.
constexpr std::int64_t capitalInWordReadingsMargin = 80;
// How much better their spelling must find the other reading for it to
// win: 22 bits, as Ukrainian spells Mac's Єврейська 23.75 bits better than
// Windows' ёврейська; at 21 a Bulgarian line (%sАвтор:) read as Mac's.
constexpr std::int64_t kinPreferenceMargin = 88;
// KOI8-R reads Windows' small letters as capitals and its і, the commonest
// letter of Ukrainian and Belarusian, as Ё (відео as БЁДЕН, ТіБ as рЁа),
// which Russian prices no worse than a foreign letter; Windows, KOI8-R and
// Mac read ISO 8859-5's small letters as Russian ones (сірі as бцац,
// Якісне as озЖАщу, Дії as іцч). Where such a reading comes first by no
// more than this before one with those languages' letters, their spelling
// chooses, and the reading with their letters wins by the margin after
// it: at 4 bits a row of KOI8-R's character table (22 146 92 ▓ ТЁМН) read
// as Windows'.
constexpr std::int64_t russianOverKinReadingMargin = 128;
constexpr std::int64_t kinOverRussianMargin = 32;
// The pairs, likelier reading first: CP866 and Mac, or ISO 8859-5 and
// Windows, paired so, lost Russian snippets (зья. Я б, дар Кью'). ISO
// 8859-5 before Windows and Mac only where their reading's letters are
// the conjunction і alone before conversions, which ISO 8859-5 reads as a
// capital standing alone (Windows' %s і %s. as %s Г %s., Mac's as %s Д %s.).
struct ReadingPair {
  CodeId likelier, kin;
  bool loneAndsOnly = false;
};
constexpr ReadingPair russianOverKinReadings[] = {
    {codKoi, codWin}, {codWin, codIso}, {codKoi, codIso}, {codMac, codIso}, {codKoi, codMac},
    {codIso, codWin, true}, {codIso, codMac, true}};
// Where the better reading sets this much more than the other where those
// languages set nothing, they choose at any distance within
// capitalInWordReadingsMargin, and where its marks alone make it so, at
// any within oneAlphabetMargin: Windows reads Mac's Ukrainian ї as »
// glued to its words (апаратно» рухомо» крапки, останньо» контрольно»
// точки). An unclosed « alone, 40 bits, lost Russian snippets whose quotes
// a cut had parted; capitals, Russian names run together
// (щитЗащитникаГорода, which Mac reads as щит«ащитника√орода).
constexpr std::int64_t kinMisplacedReadingsMargin = 192;
// What a letter costs their spelling, about: a reading that turns letters
// into marks has not paid for them (Mac reads Windows' И Звантажено as
// » «вантажено, a word where Windows reads two).
constexpr std::int64_t kinLetterAllowance = 16;
// How much their spelling may prefer the better reading of a text shorter
// than a line for a misplaced mark of it to count: 10 bits, as they spell
// Mac's „орна дошка 8.25 bits better than Windows' Чорна дошка, whose
// first letter Mac reads as that mark.
constexpr std::int64_t kinShortTextSpellingMargin = 40;
// Past capitalInWordReadingsMargin, their choice stands only where they
// spell the other reading this much better than Russian spells the better
// one: 16 bits lost a Serbian line with ПрП for "before noon" to Mac.
constexpr std::int64_t kinTextMargin = 128;
// Where those languages set no capital: after a small letter in a word, or
// starting a word inside a sentence, but for a word in capitals, as
// abbreviations are (Тражи ИПв4, which Mac reads as »ѕв4). Windows reads
// Mac's Serbian ј as А (Ае, краАу), Mac reads Windows' љ and ђ as Ъ and Р
// (недеЪи, наслеРене).
constexpr std::int64_t kinOddCapitalCost = 96;
// Their triples spell no Ѕ, Ѐ or Ѝ, as their catalogs hardly set them: a
// word break there would spell cheaper than any letter, so that Windows'
// reading of Mac's Serbian љ as Ѕ (скрипта Ѕуске) spelled better than
// Mac's own. Such a letter costs what an odd capital does: at 40 bits
// Belarusian's Ніўас in ISO 8859-5 read as Mac's.
constexpr std::int64_t kinUnspelledLetterCost = kinOddCapitalCost;
// Three such capitals more let a reading with fewer letters win: fewer
// letters spell cheaper, but quotes read as capitals glued to what they
// quote are no spelling. Two let Serbian's transliterated names (Фаст
// Тракера ИИ, ТеКс) lose to Mac's quotes.
constexpr std::int64_t kinFewerLettersMargin = 3 * kinOddCapitalCost;
// More after a small letter in a word, where names do not set one as they
// start words: Windows reads Mac's Macedonian заглавје as заглавАе, which
// those languages' triples, folding case, spell 4 bits better. Camel-cased
// transliterations (ТеКс, СанОС) cost more than this.
constexpr std::int64_t kinCapitalInWordCost = 160;
// Signs that those languages never set touching a letter cost what such a
// capital does: the other page reads their letters as them, Windows reads
// Mac's І, є, ґ and Serbian Ј as §, №, ¶ and · (§д. образу, працю№,
// ·уникс), Mac reads Windows' і, Є, Ґ and Е as ≥, ™, • and ≈ (™лгавський,
// ≈Ґра for Еўра).
constexpr std::u32string_view signsNeverBesideLetters = U"§№≥≤±°©®™•¶¬£¤µ·≈";
// ≥ or ≤ standing as a word between spaces costs what a capital inside a
// word does: Mac reads Windows' і and І, Ukrainian's and Belarusian's
// "and", so (те саме, що ≥ cksum; ET_DYN ≥ ET_EXEC); so does a №, § or ™
// there before a word rather than a number: Windows reads Mac's Ukrainian
// є, its "is", so (вираз № надто складним), and Mac's І as §; Mac reads
// Windows' Є as ™. All but № starting a text before a word too (≤ це все,
// ™ каталогом), as a sentence starts with "and" or "is", where a cut at a
// comparison's sign leaves a number after it; a heading may number a word
// (№ заказа).
constexpr std::int64_t kinSignAsWordCost = kinCapitalInWordCost;
// A « that no » closes later: Mac reads Windows' З starting a word so
// (Звантажено, «вантажено; З часу, « часу), which Ukrainian words start
// with more than Russian ones do. The same for a » glued to a word that
// no « opened, or glued before a letter, as none is: Windows reads Mac's
// Ukrainian ї so (файлово» системи, »х). The same for a „, “ or ‘ that
// opens a word and that nothing closes: Windows reads Mac's Д, У and С
// starting a word so („одати, “ака, ‘имвол), Mac reads Windows' Т so
// (“аїз).
constexpr std::int64_t kinUnclosedQuoteCost = 160;
// A reading whose letters no one of the Cyrillic alphabets holds gives way
// to the other of the two within this much that one alphabet does: Mac
// reads Windows' Ukrainian ї as Serbian њ among и and й (пристроњв), and
// Windows reads Mac's capitals as Serbian letters among ы and э.
constexpr std::int64_t oneAlphabetMargin = 128;
// Fewer Russian letters than this share of all letters: Latin text with a
// few accented letters.
constexpr std::size_t latinShareOfOtherLanguage = 10;
// A text's one Russian letter, standing between words of this many Latin
// letters or more: another page's sign or accented letter alone (¢ in a
// Latin-1 character table reads as CP866's в, ¸ as ISO 8859-5's И).
constexpr std::size_t latinLettersAroundLoneLetter = 5;
// Fewer Russian letters than this share of a whole text's letters, and no
// word of them this long: a Latin text with a word of another script
// (Hebrew or Chinese among English messages). Leaving such a text
// unconverted costs less than converting it with a wrong page.
constexpr std::size_t latinShareOfText = 20;
constexpr std::size_t shortestWordAmongLatin = 5;
// A word this long at a snippet's edge may be what a cut left of a longer
// one. A single letter there is as often another page's sign: a Latin-1
// line's closing … reads as CP866's Е, Mac Roman's as KOI8-R's и.
constexpr std::size_t shortestWordAtEdge = 2;
// A snippet shorter than a line may be cut from anywhere in a word, and
// its few letters tell too little: only from this many bytes on is a text
// called another language for its spelling or its Latin.
constexpr std::size_t shortestOtherLanguage = 20;
// A whole line, as a file of one line holds it, was cut from nothing: from
// this many bytes on, its break included, its accents among Latin, its
// marks and a rival language's far better spelling tell as they do in a
// longer text (Domain ändern). Russian's spelling alone does not: it
// spells short lines of names (Кохтла-Ярве) and units (%u.%2.2u МиБ) as
// no language.
constexpr std::size_t shortestWholeLineOtherLanguage = 8;
// A letter of another script in valid UTF-8: its bytes would read as two
// or three unlikely characters in any Cyrillic page.
constexpr std::int64_t otherScriptLetterCost = 16;
// The first of a run of them: three CP866 letters (ром, шек) make one CJK
// or Indic character of UTF-8, alone among ASCII.
constexpr std::int64_t otherScriptRunCost = 48;
// What the line so far holds, as a few bits: a line with no letter on it
// (a subtitle's number and times, a blank line between paragraphs, a
// rule), or one that ends in a colon (ivan wrote:), leaves the next line
// to start as a file's first line does; full stops that open a line as an
// ellipsis (...и тогда) carry on a sentence begun before it, as the
// ellipsis character does, but a text cut from anywhere that starts with
// them more likely starts inside one (.. Я не совсем); what opens a field
// in files that machines read, a tag's content (<p>Я...), a column, or
// after a number a subtitle's text after its frames ({0}{80}Я бы), starts
// the word glued to it as a line does.
namespace LineState {
constexpr std::uint8_t hasLetter = 1, blank = 2, leadingStops = 4, afterFieldOpener = 8,
                       afterNumber = 16, afterColon = 32;
// A line break ended a line with no letter, or one ending in a colon.
constexpr std::uint8_t startsLine = 64;
// A quote opened after a colon: direct speech, whose first word takes a
// capital as a sentence's does.
constexpr std::uint8_t opensSpeech = 128;
constexpr int count = 256;
}  // namespace LineState

// What a character does to the line state; a table of the two gives the
// next state with one look-up at each character between words.
namespace LineClass {
constexpr std::uint8_t other = 0, letter = 1, digit = 2, fullStop = 3, space = 4, tab = 5,
                       lineBreak = 6, opensField = 7, brace = 8, colon = 9, opensQuote = 10,
                       straightQuote = 11, underscore = 12, count = 13;
}  // namespace LineClass

constexpr std::array<std::array<std::uint8_t, LineState::count>, LineClass::count>
lineTransitions = [] {
  using namespace LineState;
  std::array<std::array<std::uint8_t, count>, LineClass::count> next{};
  for (int state = 0; state < count; ++state) {
    const int letters = state & hasLetter;
    next[LineClass::other][state] = static_cast<std::uint8_t>(letters);
    // An underscore joins an identifier's words or marks a menu's key
    // (Ö_ffnen): to its line, any other sign.
    next[LineClass::underscore][state] = next[LineClass::other][state];
    next[LineClass::letter][state] = hasLetter;
    next[LineClass::digit][state] = static_cast<std::uint8_t>(letters | afterNumber);
    next[LineClass::fullStop][state] = static_cast<std::uint8_t>(
        letters | ((state & (blank | leadingStops)) != 0 ? leadingStops : 0));
    next[LineClass::space][state] =
        static_cast<std::uint8_t>(letters | (state & (blank | afterColon)));
    next[LineClass::colon][state] = static_cast<std::uint8_t>(letters | afterColon);
    next[LineClass::tab][state] =
        static_cast<std::uint8_t>(letters | (state & blank) | afterFieldOpener);
    next[LineClass::lineBreak][state] =
        static_cast<std::uint8_t>(blank | (letters && (state & afterColon) == 0 ? 0 : startsLine));
    next[LineClass::opensField][state] = static_cast<std::uint8_t>(letters | afterFieldOpener);
    // Past a quote that opens a field, its first word still starts as a
    // line's does past one: Mac reads a column's Зорлан as «орлан.
    next[LineClass::opensQuote][state] = static_cast<std::uint8_t>(
        letters | ((state & afterColon) != 0 ? opensSpeech : (state & afterFieldOpener)));
    // A word right after a straight quote takes a capital as a field's
    // first word does: seven in ten such words of the model's text start
    // with one (names, titles: "Яблоко"). Not after « and „, which Mac and
    // Windows read as each other's З and Д: Mac's «указате would read as
    // Windows' Зуказате.
    next[LineClass::straightQuote][state] = static_cast<std::uint8_t>(
        letters | ((state & afterColon) != 0 ? opensSpeech : afterFieldOpener));
    next[LineClass::brace][state] =
        static_cast<std::uint8_t>(letters | ((state & afterNumber) != 0 ? afterFieldOpener : 0));
  }
  return next;
}();

// What the traits ask of two characters side by side, one bit each: a
// letter, a Latin letter, a capital, odd before or after a letter, a small
// letter of the other Cyrillic languages, box drawing and its lines' arms.
namespace Touch {
constexpr unsigned letter = 1, latin = 2, capital = 4, oddBeforeLetter = 8, oddAfterLetter = 16,
                   smallForeign = 32, boxDrawing = 64, lineLeft = 128, lineRight = 256;
}

// What one character is to the model: a letter (symbol 1..33) of either
// case, or a boundary (symbol 0) costing what its rarity in Russian says.
struct Meaning {
  unsigned char symbol;
  bool capital;
  std::int64_t cost;
  bool endsSentence = false;
  // Which side of a mark a letter rarely touches: a dash stands between
  // spaces, » ” … close what comes before them, « „ open what follows.
  bool letterBeforeIsOdd = false;
  bool letterAfterIsOdd = false;
  // A Latin letter or a digit: a full stop it follows (kicad.exe, 3.5)
  // ended no sentence.
  bool latinOrDigit = false;
  bool latinLetter = false;
  // ® and ™ mark the word they follow: after a space they are CP866's
  // small и and к, which Mac Cyrillic reads as them, standing as words.
  bool followsWord = false;
  bool fullStop = false;
  // An ellipsis that starts a text picks up a sentence begun before it
  // (…а та послала), so a small letter after it is as likely as a capital.
  bool continuesSentence = false;
  // A no-break space holds two things together: a space, a tab or a line
  // break beside it is rare, and so is one that starts the text or follows
  // a word's hyphen. Mac reads Windows' capital К, a word of its own, a
  // text's first letter or a name's after a hyphen (Ага-Кнаф), as one.
  bool noBreakSpace = false;
  bool space = false;
  // What the character does to the line it is on (LineClass).
  std::uint8_t lineClass = 0;
  bool lookalike = false;  // a Latin letter that looks like a Russian one
  // A small Russian letter's Latin lookalike, or 0: typed into an English
  // word (comрleted, oрeration), the letter is the Latin one it stands for.
  unsigned char latinTwin = 0;
  bool closesQuote = false;  // »
  bool numberFollows = false;  // №
  // A letter that is no word of its own, 2 wherever its word ends: ї
  // (Mac reads the Ukrainian є of Windows-1251, which is one, as Ї: не Ї
  // файлом); 1 before a space alone: Ь and Ъ, which start no word (Windows
  // reads Mac's № so: № дорожки). Before a letter that Russian lacks,
  // which ends the word as Russian reads it, the word goes on (ISO 8859-5
  // reads EUC-JP's 分散 as ЪЌЛЖ).
  std::uint8_t neverAlone = 0;
  bool leadsWord = false;  // и в с к у, which a word follows
  // A middle dot stands for a space where spaces are shown and ’ for an
  // apostrophe: between words or inside one, never starting one after a
  // space or a field's opening, where they are Windows' reading of Mac's Ј
  // (република ·емен) and Mac's of Windows' Х (’орошо).
  bool startsNoWord = false;
  bool clauseMark = false;   // , : ;
  bool digit = false;
  bool hyphen = false;
  bool dash = false;  // – —
  char16_t boxDrawing = 0;  // the character, for a box-drawing one
  // A corner or a tee reaches out to the line it joins: a space on that
  // side is odd (CP866 reads Mac's ÷ as ╓ in ÷ ЗНАК ДЕЛЕНИЯ). Lines alone
  // stand between spaces, as DOS text sets ─ for a dash.
  bool spaceBeforeIsOdd = false;
  bool spaceAfterIsOdd = false;
  // Whether a line leaves it to the left, to the right: a corner's or a
  // tee's arm, or a line's own (─ ═).
  bool lineLeft = false;
  bool lineRight = false;
  // Box drawing, № and §, or a sign Russian seldom sets that may stand in
  // a word's place: odd beside a letter (ReadingTraits::oddJoins). A quote
  // is odd on its outer side only: a closing one before a letter, an
  // opening one after one (Mac reads Greek's Σελίδες as ”елядет).
  bool oddJoinBeforeLetter = false;
  bool oddJoinAfterLetter = false;
  // A sign beyond ASCII that Russian typography seldom sets: ° ± • © and
  // the like, not its dashes, quotation marks, ellipsis, № or §.
  bool mark = false;
  // What this character is to a no-break space after it (BeforeNoBreakSpace);
  // here, where the fields before it leave a byte free.
  std::uint8_t beforeNoBreakSpace = BeforeNoBreakSpace::other;
  // Any sign beyond ASCII but spaces, box drawing, № and §, and above
  // it Quoting's bits: whether it may open a quote (« „ “ …) or close one
  // (» ” “ …), as a sign beside it that does the same may.
  std::uint32_t sign = 0;

  // A small letter that only the other Cyrillic languages write (ђ ј љ):
  // before a capital it is as odd as a Russian one would be, as ISO 8859-5
  // reads GBK's 柠檬沙 (ФћУЪЩГ) and Mac reads Shift_JIS's 水平 (РЕХљВ).
  bool smallForeignLetter = false;
  // None of the marks above that touch what stands beside it: no box
  // drawing, sign, no-break space, closing quote or №, and nothing odd
  // beside it. Set by settle() once the rest is.
  bool plain = false;
  // A Latin letter, a digit, a mark that continues a sentence or a clause
  // mark: no sentence starts after it. Set by settle() too.
  bool carriesSentenceOn = false;
  // Its Touch bits, read at once. Set by settle() too.
  std::uint16_t touch = 0;
  bool inWord() const { return symbol != 0 || latinLetter || lookalike; }
  constexpr void settle() {
    plain = boxDrawing == 0 && sign == 0 && !letterBeforeIsOdd && !letterAfterIsOdd &&
            !startsNoWord && !noBreakSpace && !closesQuote && !numberFollows &&
            !spaceBeforeIsOdd && !spaceAfterIsOdd && !followsWord;
    carriesSentenceOn = latinOrDigit || continuesSentence || clauseMark;
    touch = static_cast<std::uint16_t>(
        (symbol != 0 ? Touch::letter : 0) | (latinLetter ? Touch::latin : 0) |
        (capital ? Touch::capital : 0) | (oddJoinBeforeLetter ? Touch::oddBeforeLetter : 0) |
        (oddJoinAfterLetter ? Touch::oddAfterLetter : 0) |
        (smallForeignLetter ? Touch::smallForeign : 0) |
        (boxDrawing != 0 ? Touch::boxDrawing : 0) | (lineLeft ? Touch::lineLeft : 0) |
        (lineRight ? Touch::lineRight : 0));
  }
};

// Latin letters that look like Russian ones (o, c, p, ...), and the
// Russian letters they stand in for in typed Russian (мoжнo, Тeпeрь).
constexpr std::string_view russianLookalikes = "aceopxyABCEHKMOPTX";
constexpr std::u16string_view russianLookedLike = u"асеорхуАВСЕНКМОРТХ";

bool isCyrillic(char32_t c) { return c >= 0x400 && c <= 0x4FF; }

namespace Quoting {
constexpr std::uint32_t opens = 1 << 16, closes = 2 << 16;
}

Meaning classifyCharacter(char32_t c) {
  // а..е, ё, ж..я as the model numbers them.
  auto letter = [](char32_t small) -> unsigned char {
    if (small == 0x451) return 7;
    return static_cast<unsigned char>(small - 0x430 + (small >= 0x436 ? 2 : 1));
  };
  if (c < 0x80) {
    Meaning ascii{0, false, 0, c == '.' || c == '!' || c == '?'};
    // Lookalikes do not make a word mixed.
    const bool latin = (c | 0x20) - 'a' < 26;
    ascii.lookalike = russianLookalikes.find(static_cast<char>(c)) != russianLookalikes.npos;
    ascii.latinLetter = latin && !ascii.lookalike;
    ascii.digit = c - '0' < 10;
    ascii.latinOrDigit = latin || ascii.digit;
    ascii.fullStop = c == '.';
    ascii.clauseMark = c == ',' || c == ':' || c == ';';
    ascii.hyphen = c == '-';
    ascii.beforeNoBreakSpace = ascii.digit || ascii.fullStop ? BeforeNoBreakSpace::binding
                               : c == '(' || c == '['       ? BeforeNoBreakSpace::opensBracket
                                                            : BeforeNoBreakSpace::other;
    ascii.space = c == ' ' || c == '\t' || c == '\n' || c == '\r';
    ascii.lineClass = ascii.digit ? LineClass::digit
                      : c == '.'  ? LineClass::fullStop
                      : c == ' ' || c == '\r' ? LineClass::space
                      : c == '\t' ? LineClass::tab
                      : c == '\n' ? LineClass::lineBreak
                      : c == '>'  ? LineClass::opensField
                      : c == '}'  ? LineClass::brace
                      : c == ':'  ? LineClass::colon
                      : c == '"'  ? LineClass::straightQuote
                      : c == '_'  ? LineClass::underscore
                                  : LineClass::other;
    return ascii;
  }
  if (c >= 0x410 && c <= 0x44F) {
    const bool capital = c < 0x430;
    const char32_t small = capital ? c + 0x20 : c;
    Meaning meaning{letter(small), capital, 0};
    meaning.leadsWord =
        small == U'и' || small == U'в' || small == U'с' || small == U'к' || small == U'у';
    meaning.neverAlone = capital && (small == U'ь' || small == U'ъ') ? 1 : 0;
    return meaning;
  }
  if (c == 0x451) return {7, false, 0};
  if (c == 0x401) return {7, true, 0};
  if (c == 0xAB) {
    Meaning quote{0, false, quoteCost, false, true, false};
    quote.lineClass = LineClass::opensQuote;
    return quote;
  }
  if (c == 0xBB) {
    Meaning quote{0, false, quoteCost, false, false, true};
    quote.closesQuote = true;
    return quote;
  }
  if (c == 0x201E) {
    Meaning quote{0, false, rareMarkCost, false, true, false};
    quote.lineClass = LineClass::opensQuote;
    return quote;
  }
  if (c == 0x201D) return {0, false, rareMarkCost, false, false, true};
  if (c == 0xA0) {
    Meaning noBreak{0, false, punctuationCost};
    noBreak.noBreakSpace = true;
    return noBreak;
  }
  if (c == 0x2013 || c == 0x2014) {
    Meaning dash{0, false, punctuationCost, false, true, true};
    dash.dash = true;
    return dash;
  }
  if (c == 0x2026) {
    Meaning ellipsis{0, false, punctuationCost, false, false, true};
    ellipsis.continuesSentence = true;
    return ellipsis;
  }
  // № and § stand before a number (№ 5, §5), never inside a word: Mac and
  // ISO 8859-5 read Greek letters as № there (ч№сбозт), Mac reads
  // Japanese in EUC-JP as §тї»Ќ—§є§л.
  if (c == 0x2116 || c == 0xA7) {
    Meaning sign{0, false, punctuationCost, false, true, true};
    sign.numberFollows = c == 0x2116;
    sign.oddJoinBeforeLetter = sign.oddJoinAfterLetter = true;
    return sign;
  }
  switch (c) {
    case 0xAE: case 0x2122: {
      Meaning mark{0, false, punctuationCost};
      mark.followsWord = true;
      return mark;
    }
    case 0xB7: {
      Meaning dot{0, false, punctuationCost};
      dot.startsNoWord = true;
      return dot;
    }
    case 0xA9: case 0xB0: case 0xB1:
      return {0, false, punctuationCost};
    case 0x2019: {
      Meaning apostrophe{0, false, rareMarkCost};
      apostrophe.startsNoWord = true;
      return apostrophe;
    }
    case 0x2018: case 0x201C: case 0x2022:
    case 0xA3: case 0xB5: case 0xB6:
      return {0, false, rareMarkCost};
  }
  // Ukrainian's and Belarusian's own letters spell their words as the
  // Russian ones they stand for do: read as those, the words around them
  // stay words, still at a foreign letter's cost. ї sounds as йі and
  // mostly follows a vowel (останньої, країна), where Russian writes й.
  // Ґ is rare, and Mac Cyrillic's і, the commonest Ukrainian letter, is
  // Windows' ґ.
  static constexpr std::u32string_view russianLetters = U"ийеугИЙЕУГ";
  static_assert(russianLetters.size() == ukrainianAndBelarusianLetters.size());
  if (const auto kin = ukrainianAndBelarusianLetters.find(c);
      kin != ukrainianAndBelarusianLetters.npos) {
    Meaning letter = classifyCharacter(russianLetters[kin]);
    letter.cost = c == 0x491 || c == 0x490 ? rareForeignLetterCost : foreignLetterCost;
    letter.neverAlone = c == 0x457 || c == 0x407 ? 2 : 0;
    return letter;
  }
  if (isCyrillic(c)) {
    Meaning letter{0, false, foreignLetterCost};
    letter.smallForeignLetter = c >= 0x430;
    return letter;
  }
  if (c >= 0x2500 && c <= 0x259F) {
    Meaning box{0, false, boxDrawingCost};
    box.boxDrawing = static_cast<char16_t>(c);
    static constexpr std::u16string_view leftArms = u"┐┘┤┬┴┼╕╖╗╛╜╝╡╢╣╤╥╦╧╨╩╪╫╬";
    static constexpr std::u16string_view rightArms = u"┌└├┬┴┼╒╓╔╘╙╚╞╟╠╤╥╦╧╨╩╪╫╬";
    box.spaceBeforeIsOdd = leftArms.find(static_cast<char16_t>(c)) != leftArms.npos;
    box.spaceAfterIsOdd = rightArms.find(static_cast<char16_t>(c)) != rightArms.npos;
    const bool horizontal = c == 0x2500 || c == 0x2550;
    box.lineLeft = box.spaceBeforeIsOdd || horizontal;
    box.lineRight = box.spaceAfterIsOdd || horizontal;
    box.oddJoinBeforeLetter = box.oddJoinAfterLetter = true;
    return box;
  }
  return {0, false, oddCost};
}

Meaning classify(char32_t c) {
  Meaning meaning = classifyCharacter(c);
  if (meaning.inWord()) meaning.lineClass = LineClass::letter;
  meaning.settle();
  return meaning;
}

// Each 8-bit page's characters, and what each is to the model; built once.
struct PageReading {
  CodeChart characters;
  std::array<Meaning, 256> meanings;
};

const std::array<PageReading, codTableColumns>& pageReadings() {
  static const auto readings = [] {
    std::array<PageReading, codTableColumns> all;
    for (int page = 0; page < codTableColumns; ++page) {
      all[page].characters = pageCharacters(CodeId(page));
      for (int byte = 0; byte < 256; ++byte) {
        const char32_t c = all[page].characters[byte];
        Meaning& meaning = all[page].meanings[byte];
        meaning = classify(c);
        const auto among = [c](std::u32string_view signs) {
          return signs.find(c) != std::u32string_view::npos;
        };
        const bool signBeyondAscii = c >= 0x80 && meaning.symbol == 0 &&
                                     meaning.boxDrawing == 0 && !meaning.noBreakSpace &&
                                     !isCyrillic(c);
        meaning.mark = signBeyondAscii && !among(U"«»„“”‘’—–…№§");
        if (signBeyondAscii && c < 0x10000 && c != U'№' && c != U'§')
          meaning.sign = c | (among(U"«„“…") ? Quoting::opens : 0) |
                         (among(U"»”“…") ? Quoting::closes : 0);
        // Such a sign neither ends a word nor starts one. Mac reads the
        // Ukrainian і of Windows-1251 as ≥ (вих≥дний, м≥ст≥), Chinese in GBK
        // as letters with signs after them (і¶µƒ), and Windows' Ј as £
        // (£ужни); Windows reads Mac's capitals Ж, И, Й, Х as † € ‰ •
        // (•марна); KOI8-R reads Windows' ї as © (©х). The degree of °С is
        // held to it too, as no text was seen to turn on it. The middle dot
        // stands for a space where spaces are shown (отправки·в·этот).
        const bool oddBesideLetter = meaning.mark && !meaning.startsNoWord;
        const std::uint32_t quoting = meaning.sign & (Quoting::opens | Quoting::closes);
        meaning.oddJoinBeforeLetter |= oddBesideLetter || quoting == Quoting::closes;
        meaning.oddJoinAfterLetter |= oddBesideLetter || quoting == Quoting::opens;
        meaning.letterBeforeIsOdd |= oddBesideLetter;
        meaning.letterAfterIsOdd |= oddBesideLetter;
        // A capital inside a word of small letters would not pass for Latin.
        const auto twin = russianLookedLike.find(static_cast<char16_t>(c));
        if (twin != russianLookedLike.npos && c >= 0x430)
          meaning.latinTwin = static_cast<unsigned char>(russianLookalikes[twin]);
      }
      // CP866's text draws its tables with these: an arm that reaches into
      // a letter is as odd as one that reaches into a space (Mac's Serbian
      // ПОМЕРАЈ reads ПОМЕРА╖). KOI8-R's are where it reads other pages'
      // signs and other languages' characters, whose readings the traits
      // judge: priced there, GBK and Shift_JIS lines went to pages that
      // read them as letters.
      if (page == codDos)
        for (Meaning& meaning : all[page].meanings) {
          meaning.letterBeforeIsOdd |= meaning.spaceBeforeIsOdd;
          meaning.letterAfterIsOdd |= meaning.spaceAfterIsOdd;
        }
      if (page == codMac)
        for (int byte = 0x80; byte < 256; ++byte)
          if (macKinLetters.find(static_cast<char16_t>(all[page].characters[byte])) !=
              macKinLetters.npos)
            all[page].meanings[byte].cost = macKinLetterCost;
      for (Meaning& meaning : all[page].meanings) meaning.settle();
    }
    return all;
  }();
  return readings;
}

// The models' alphabet: A-Z, a-z, 0-9, + and / for 0..63, each cell's
// cost by its character.
constexpr auto cellCosts = [] {
  std::array<std::uint8_t, 128> costs{};
  for (int cell = 0; cell < 128; ++cell)
    costs[cell] = static_cast<std::uint8_t>(cell >= 'a'   ? cell - 'a' + 26
                                            : cell >= 'A' ? cell - 'A'
                                            : cell >= '0' ? cell - '0' + 52
                                            : cell == '+' ? 62
                                                          : 63);
  return costs;
}();

std::uint8_t cellCost(char cell) { return cellCosts[static_cast<unsigned char>(cell) & 0x7F]; }

// Decoded once: a branch per lookup on what the character holds was a
// tenth of the guesser's time.
template <std::size_t count>
std::array<std::uint8_t, count> decodeCosts(const char* cells) {
  std::array<std::uint8_t, count> costs;
  for (std::size_t i = 0; i < count; ++i)
    costs[i] = cellCost(cells[i]);
  return costs;
}

constexpr std::size_t tripleCount = guessContextCount * guessContextCount * guessSymbolCount;

const std::array<std::uint8_t, tripleCount>& tripleCosts() {
  static const auto costs = decodeCosts<tripleCount>(letterTripleCosts);
  return costs;
}

std::int64_t tripleCost(const std::uint8_t* costs, int a, int b, int c) {
  return costs[(a * guessContextCount + b) * guessSymbolCount + c];
}

std::int64_t tripleCost(int a, int b, int c) { return tripleCost(tripleCosts().data(), a, b, c); }

std::int64_t fullStopEndCost(int a, int b) {
  static const auto costs =
      decodeCosts<guessContextCount * guessContextCount>(fullStopEndCosts);
  return costs[a * guessContextCount + b];
}

// The cost of "either x or y, even odds", each below 64 quarter bits.
std::int64_t eitherCost(std::int64_t x, std::int64_t y) {
  static const auto table = [] {
    std::array<std::array<std::uint8_t, 64>, 64> costs;
    for (int a = 0; a < 64; ++a)
      for (int b = 0; b < 64; ++b)
        costs[a][b] = static_cast<std::uint8_t>(
            std::lround(-4 * std::log2((std::exp2(-a / 4.0) + std::exp2(-b / 4.0)) / 2)));
    return costs;
  }();
  return table[x][y];
}

// What a reading holds besides its cost, for telling Russian from other
// languages read in a Cyrillic page.
struct ReadingTraits {
  std::size_t letters = 0;     // Russian letters
  std::size_t capitals = 0;
  std::size_t mixed = 0;       // places where a Russian and a Latin letter touch
  // Places where a Russian letter touches box drawing, a sign Russian
  // seldom sets (Windows reads GBK's 视频 as КУЖµ), № or § (Mac reads
  // Greek's λεπτά as лерф№) or a quote's outer side (Mac reads Greek's
  // Σελίδες as ”елядет), or where box drawing side by side breaks a
  // line: a line leaves one and does not enter the other (╦│, ┘─), as no
  // drawing has it and as CP866 reads EUC-JP's 土曜日 (┼┌═╦╞№).
  std::size_t oddJoins = 0;
  std::size_t capitalsAfterSmall = 0;
  std::size_t longestRun = 0;  // Russian letters in a row
  std::size_t marks = 0;       // signs that Russian seldom sets
  // Russian letters typed into Latin words, read as the Latin ones: no
  // letters for the spelling, but Cyrillic characters all the same.
  std::size_t typedIn = 0;
  // Of those, the ones their words spell English with as well as an
  // average letter does or better.
  std::size_t typedInEnglish = 0;
  // Places where a Russian letter touches a Latin lookalike in a word of
  // no other Latin letter and three Russian letters or fewer, whose
  // lookalikes are read as Russian: a Latin word's accents on a short line
  // (Windows-1254's Taşı, which Windows-1251 reads as Taюэ), where a letter
  // typed in slips into a longer word (Урдcкая, Малайaлам).
  std::size_t lookalikeContacts = 0;
  // Runs of Russian letters that end a word after a Latin lookalike, in a
  // word that holds another Latin letter or no other Russian letter: small
  // ones, or a capital after a small lookalike. A Russian ending glued to a
  // Latin word (gccом), or a Latin word's accents (Czech's hovoří, which
  // Windows reads as hovoшн; Danish på, pе and pЖ), which a short line's
  // spelling tells.
  std::size_t gluedEndings = 0;
  std::int64_t spelling = 0;   // the letter triples' and word ends' cost alone
  bool mostlyCapitals() const { return 2 * capitals > letters; }
};

// Where a text's first letter stands: inside a word, or starting a line
// or a sentence.
enum class TextStart { cut, line, sentence };

// One reading's running score as Russian text; with traits, also what
// ReadingTraits counts, which only the best reading needs.
template <bool withTraits>
struct Scorer {
  std::int64_t cost = 0;
  int before = guessTextStart, last = guessTextStart;  // the last two symbols
  // Word start (nothing known yet), after a capital, after a small letter,
  // word start inside a sentence, after one, after two capitals or more,
  // word start after a word in capitals, the second letter of a word that
  // follows one in capitals and began with a capital, the first letter of
  // a line, the word after a dash that follows a question or an
  // exclamation, the first letter of a line after one with letters that
  // ended no sentence: a capital starting a word inside a sentence is rare
  // (a reading that turns dashes into capitals meets this), and words and
  // lines in capitals keep to them. After such a dash the author's words
  // follow direct speech in lower case (— Куда? — спросила она), where
  // Windows reads Mac's dash as a capital С; after such a line, wrapped
  // prose carries its sentence on and verse and lists start anew, as
  // often either way.
  int capitalContext = 0;
  static constexpr int smallBefore = 2, sentenceStart = 4, lineStart = 8, afterSpeechDash = 9,
                       wrappedLineStart = 10;
  static_assert(wrappedLineStart < std::extent_v<decltype(capitalCosts)>,
                "every context has its row of capitalCosts");
  bool afterCapitals = false;  // the last word was in capitals
  // The context of the next word's start when a sentence or a line has
  // just begun, past marks and spaces; 0 for none.
  int startPending = 0;
  bool startsWord = false;  // the text is whole, not cut inside a word
  // A mark touching a letter on its wrong side is rare: Mac reads Windows'
  // capitals С and Р as dashes glued to their words, Windows reads Mac's
  // Е as an ellipsis glued to the rest of its word.
  bool oddIfLetterNext = false;
  bool afterWord = false;  // the last character was a letter or a digit
  bool afterSpace = true, afterNoBreakSpace = false;
  // Russian sets » before a comma, a colon or a semicolon, never after
  // one, and a whole text does not start with it: there (", » ") it is
  // Mac's reading of Windows' И starting a word.
  bool nothingToClose = false;
  // № and spaces since: a number should follow, or this is paid.
  std::int64_t numberDueCost = 0;
  bool spaceIsOddNext = false;
  // Whether oddIfLetterNext, afterNoBreakSpace, numberDueCost or
  // spaceIsOddNext holds anything for the next character, which is then
  // looked at whole.
  bool oddNext = false;
  std::uint8_t firstLetterNeverAlone = 0;  // of the word so far
  bool firstLetterLeadsWord = false;
  std::uint8_t lastBeforeNoBreakSpace = BeforeNoBreakSpace::other;
  std::uint8_t lineState = 0;  // LineState's bits
  // Letters of the word so far while all are capitals (-1 after a small
  // one): a word of two or three may be an abbreviation (ЦП, ФИО), whose
  // letters follow one another as initials. Longer ones are words set in
  // capitals: letting them be initials too made any page that reads small
  // letters as capitals (koi as win) look as good as Russian.
  int capitalRun = 0;
  // Tables draw their lines as runs of one character; the words that
  // another page reads as box drawing do not repeat one. A corner or a
  // tee reaches out to a line and is not drawn on: ╩╩╩ is CP866's
  // reading of KOI8-R's ааа said over and over.
  char16_t lastBoxDrawing = 0;
  std::uint32_t lastSign = 0;  // the last character's Meaning::sign
  // The last letter of a word that a hyphen ended, or 0: the same letter
  // starting the next word stammers or draws a sound out (О-о-о-о,
  // горю-ю-ю, Н-нет), as no edited text the triples were learned from does.
  // Kept from one word's end to the next's, not looked at for each mark or
  // Latin letter between, which cost a guess 3% more instructions.
  int echoLetter = 0;
  // Chat and comments start sentences in lower case; once a text has,
  // later sentences may start so as readily as a word inside one does
  // (как дела? я тут, which Windows reads as Я). Only a sentence that the
  // text has seen end counts: not the text's first, which a cut may have
  // left in lower case, nor one after an ellipsis, which edited text
  // carries on in lower case too (были... плохими).
  bool writesSmallSentenceStarts = false;
  bool sentenceEndedInText = false;
  bool speechMayHaveEnded = false;  // the last sentence ended in ? or !
  // A dash after a sentence's end was paid speechDashWordDiscount less,
  // but no word has followed it yet: a text that ends so pays it back.
  bool dashBeforeWord = false;
  // A dash after a space inside a sentence, not at the text's start nor a
  // line's, where it opens speech: a space after it makes it one between
  // spaces.
  bool dashAfterSpace = false;
  // A closing mark after a space, and nothing after it yet: charged for
  // it, or to be charged unless a space, a word or a number follows.
  enum class CloserAfterSpace { none, charged, due } closerAfterSpace = CloserAfterSpace::none;
  int drawnOutLetter = 0;  // of the word's last run of three, taken back
  ReadingTraits traits;
  // For the traits: what touches what, of the last character (nothing
  // before the text's first).
  std::uint16_t lastTouch = 0;
  // Looked up once for the reading rather than at every letter.
  const std::uint8_t* triples = tripleCosts().data();
  std::size_t run = 0;

  // What a sign beyond ASCII costs beside the last character, and what a
  // dash that sets speech apart does: one after a space that follows a
  // comma or a sentence's end, or one that opens a line. Out of line, as
  // the sign pair's test inlined at each character cost a guess 1.7% more
  // instructions.
  [[gnu::cold, gnu::noinline]] void addSign(const Meaning& meaning) {
    if (lastSign != 0 && lastSign != meaning.sign &&
        (lastSign & meaning.sign & (Quoting::opens | Quoting::closes)) == 0)
      cost += signPairCost;
    // A mark that only closes a quote, after a space, closes nothing: Mac
    // reads Windows' И as » (Иванов И. И., логическое И), Windows reads
    // Mac's Ф as ” (-- Ф.), where Russian sets » after a space only as a
    // menu path's separator, between spaces. ” pays only before a mark:
    // before a letter it pays for touching it, and CP850's ö is Windows'
    // ” (Sitzung ”ffnen, Link ”_ffnen), which should read as no page's.
    if ((meaning.sign & (Quoting::opens | Quoting::closes)) == Quoting::closes && afterSpace &&
        last != guessTextStart) {
      if (meaning.closesQuote) cost += closerAfterSpaceCost;
      closerAfterSpace = meaning.closesQuote ? CloserAfterSpace::charged : CloserAfterSpace::due;
      return;
    }
    if (!meaning.dash || !afterSpace) return;
    if (startPending == sentenceStart) {
      dashBeforeWord = true;
      // Not a dash that opens a line: that starts the next speech.
      if (speechMayHaveEnded && (lineState & LineState::blank) == 0)
        startPending = afterSpeechDash;
      cost -= speechDashWordDiscount;
    } else if (nothingToClose) {
      cost -= speechDashWordDiscount;
    } else {
      dashAfterSpace = startPending == 0 && last != guessTextStart;
    }
  }

  // What follows a mark that a letter should not touch: a letter pays; a
  // space after a closing guillemet after a space takes back what that was
  // charged, and a mark after a ” after a space pays what it was not (both
  // closers touch no letter after them, so this runs after each). Out of
  // line, as the test inlined at each character cost a guess 1.1% more
  // instructions.
  [[gnu::cold, gnu::noinline]] void afterOddIfLetterNext(const Meaning& meaning) {
    if (meaning.symbol != 0) cost += gluedCost;
    if (dashAfterSpace && meaning.space) cost -= dashBetweenSpacesDiscount;
    dashAfterSpace = false;
    if (closerAfterSpace == CloserAfterSpace::charged && meaning.space)
      cost -= closerAfterSpaceCost;
    if (closerAfterSpace == CloserAfterSpace::due && !meaning.space && !meaning.inWord() &&
        !meaning.digit && meaning.lineClass != LineClass::underscore)
      cost += closerAfterSpaceCost;
    closerAfterSpace = CloserAfterSpace::none;
  }

  // A character beside which something is odd, or one after such a
  // character.
  [[gnu::always_inline]] void addMarked(const Meaning& meaning, bool letter, bool afterRussianLetter) {
    cost += meaning.boxDrawing != 0 && meaning.boxDrawing == lastBoxDrawing &&
                    !meaning.spaceBeforeIsOdd && !meaning.spaceAfterIsOdd
                ? boxRunCost
                : meaning.cost;
    lastBoxDrawing = meaning.boxDrawing;
    if (meaning.sign != 0) addSign(meaning);
    lastSign = meaning.sign;
    if (meaning.letterBeforeIsOdd && afterRussianLetter) cost += gluedCost;
    if (oddIfLetterNext) afterOddIfLetterNext(meaning);
    // What opens a field (a subtitle's frames, {0}{80}; a tag; a column)
    // starts its text as a text's start does: Mac reads Windows' И, К and
    // Х there as », a no-break space and ’ ({0}{80}И что же, {0}{80}Кешан,
    // {0}{80}Хмм).
    const bool fieldStart = (lineState & LineState::afterFieldOpener) != 0;
    oddIfLetterNext =
        meaning.letterAfterIsOdd || (meaning.startsNoWord && (afterSpace || fieldStart));
    if ((meaning.noBreakSpace && (afterSpace || afterWordsHyphen() || fieldStart)) ||
        (afterNoBreakSpace && meaning.space))
      cost += gluedCost;
    if (meaning.noBreakSpace) {
      if (lastBeforeNoBreakSpace == BeforeNoBreakSpace::binding)
        cost -= boundNoBreakSpaceDiscount;
      oddIfLetterNext |= lastBeforeNoBreakSpace == BeforeNoBreakSpace::opensBracket;
    }
    lastBeforeNoBreakSpace = meaning.beforeNoBreakSpace;
    if (meaning.closesQuote && (nothingToClose || fieldStart)) cost += gluedCost;
    nothingToClose = meaning.clauseMark || (nothingToClose && meaning.space);
    if (letter) cost += numberDueCost;
    numberDueCost = meaning.numberFollows ? ((lineState & LineState::hasLetter) != 0
                                                 ? wordAfterNumberSignInLineCost
                                                 : wordAfterNumberSignCost)
                    : meaning.space ? numberDueCost
                                    : 0;
    afterNoBreakSpace = meaning.noBreakSpace;
    if ((meaning.spaceBeforeIsOdd && afterSpace) || (spaceIsOddNext && meaning.space))
      cost += gluedCost;
    spaceIsOddNext = meaning.spaceAfterIsOdd;
    afterSpace = meaning.space;
    if (meaning.followsWord && !afterWord) cost += gluedCost;
    afterWord = letter || meaning.latinOrDigit;
    oddNext = oddIfLetterNext || afterNoBreakSpace || spaceIsOddNext || numberDueCost != 0;
  }

  // Inlined into the loops over a text's bytes, which the compiler would
  // not do for its size: a call per byte cost a tenth of a guess.
  [[gnu::always_inline]] void add(const Meaning& meaning) {
    if constexpr (withTraits) {
      const unsigned here = meaning.touch, before = lastTouch;
      const bool letter = (here & Touch::letter) != 0, afterLetter = (before & Touch::letter) != 0;
      traits.mixed += (letter && (before & Touch::latin) != 0) ||
                      ((here & Touch::latin) != 0 && afterLetter);
      traits.oddJoins +=
          (letter && (before & Touch::oddBeforeLetter) != 0) ||
          ((here & Touch::oddAfterLetter) != 0 && afterLetter) ||
          ((here & before & Touch::boxDrawing) != 0 &&
           ((here & Touch::lineLeft) != 0) != ((before & Touch::lineRight) != 0));
      traits.capitalsAfterSmall +=
          (here & Touch::capital) != 0 &&
          ((afterLetter && (before & Touch::capital) == 0) || (before & Touch::smallForeign) != 0);
      lastTouch = static_cast<std::uint16_t>(here);
      traits.letters += meaning.symbol != 0;
      run = meaning.symbol != 0 ? run + 1 : 0;
      traits.longestRun = std::max(traits.longestRun, run);
      traits.capitals += meaning.capital;
      traits.marks += meaning.mark;
    }
    const bool letter = meaning.symbol != 0;
    // A letter's symbol lies between a boundary's 0 and the text's start.
    const bool afterRussianLetter = static_cast<unsigned>(last - 1) < guessTextStart - 1;
    // Inside a word only the letters' own costs change: every mark below
    // already holds what the letter before left, as this one would.
    if (letter && afterRussianLetter) {
      cost += meaning.cost;
      // A small letter after a small one, most letters of a text, leaves
      // the case of the word as it was.
      if (capitalContext == smallBefore && !meaning.capital) [[likely]] {
        cost += spell(meaning) + capitalCosts[smallBefore][0];
        before = last;
        last = meaning.symbol;
      } else {
        addLetter(meaning);
      }
      return;
    }
    // Most characters are plain and follow plain ones: then nothing below
    // but these few lines can change.
    if (meaning.plain && !oddNext) [[likely]] {
      cost += meaning.cost;
      lastBoxDrawing = 0;
      lastSign = 0;
      lastBeforeNoBreakSpace = meaning.beforeNoBreakSpace;
      nothingToClose = meaning.clauseMark || (nothingToClose && meaning.space);
      afterSpace = meaning.space;
      afterWord = letter || meaning.latinOrDigit;
    } else {
      addMarked(meaning, letter, afterRussianLetter);
    }
    if (meaning.symbol == 0) {
      lineState = lineTransitions[meaning.lineClass][lineState];
      if (lineState & (LineState::startsLine | LineState::opensSpeech))
        startPending = (lineState & LineState::startsLine) != 0 ? lineStart : sentenceStart;
      // A comma or a colon after a full stop makes it an abbreviation's
      // (напр., январь).
      if (lineState & LineState::leadingStops) {
        startPending = 0;
      } else if (meaning.endsSentence) {
        // A full stop right after a one-letter small word shortens a word
        // (т. е., и т. д.) rather than ending a sentence.
        const bool shortens = meaning.fullStop && last != 0 && before == 0 && capitalRun < 0;
        if (!shortens) {
          sentenceEndedInText = startPending != sentenceStart;
          if (sentenceEndedInText) speechMayHaveEnded = !meaning.fullStop;
          startPending = sentenceStart;
        }
      } else if (meaning.carriesSentenceOn) {
        startPending = 0;
      }
      if (last == 0) return;  // runs of boundaries count as one
      const int echoed = echoLetter;
      echoLetter = meaning.hyphen ? last : 0;
      if (before == 0 && firstLetterNeverAlone + meaning.space >= 2) cost += gluedCost;
      if (before == 0 && firstLetterLeadsWord && meaning.clauseMark &&
          meaning.lineClass != LineClass::colon)
        cost += leadingWordBeforeClauseCost;
      const std::int64_t spelledEnd =
          meaning.fullStop ? fullStopEndCost(before, last) : tripleCost(triples, before, last, 0);
      const std::int64_t wordEnds =
          before == 0 && last == echoed ? std::min(repeatedLetterCost, spelledEnd) : spelledEnd;
      if constexpr (withTraits) traits.spelling += wordEnds;
      // An abbreviation in capitals takes no full stop (США, ЦП): Windows'
      // руб. and кв.м. read in KOI8-R as ПУА. and ЙЧ.Л. are no abbreviations.
      const bool abbreviation =
          capitalRun >= 2 && capitalRun <= longestAbbreviation && !meaning.fullStop;
      cost += abbreviation ? eitherCost(wordEnds, 4) : wordEnds;
      afterCapitals = capitalRun >= 2;
      capitalContext = 3;
      capitalRun = 0;
      drawnOutLetter = 0;
      before = last;
      last = 0;
    } else {
      addLetter(meaning);
      // A letter that echoes the one a hyphen followed is drawn out too:
      // addLetter spelled it as the triple (the letter, a boundary, the
      // letter).
      if (meaning.symbol == echoLetter) [[unlikely]]
        lowerToDrawnOut(tripleCost(triples, last, 0, last));
      firstLetterNeverAlone = meaning.neverAlone;
      firstLetterLeadsWord = meaning.leadsWord;
      // The letters after it in its word leave the line as it holds.
      lineState = LineState::hasLetter;
    }
  }

  // A hyphen ended the last word, with nothing but marks since; one that
  // starts the text ended none. Asked here, at a no-break space, rather
  // than where the echo is set at each word's end, which cost a guess
  // 0.4% more instructions.
  bool afterWordsHyphen() const { return echoLetter != 0 && echoLetter != guessTextStart; }

  // Takes a letter already spelled at this cost down to a drawn-out
  // letter's.
  [[gnu::always_inline]] void lowerToDrawnOut(std::int64_t spelled) {
    const std::int64_t overDrawnOut = spelled - std::min(repeatedLetterCost, spelled);
    cost -= overDrawnOut;
    if constexpr (withTraits) traits.spelling -= overDrawnOut;
  }

  // Brings a letter's second time down to a drawn-out letter's cost when a
  // third follows, once a run. The letter before the run is gone by then:
  // the second time is priced as at a word's start, where most runs stand
  // (Ммм, ррр). Out of line, as inlined it cost a guess 4% more
  // instructions for what few texts hold.
  [[gnu::cold, gnu::noinline]] void takeBackSecondTime() {
    if (drawnOutLetter == last) return;
    lowerToDrawnOut(tripleCost(triples, 0, last, last));
    drawnOutLetter = last;
  }

  // What a letter's triple costs where it stands, drawn out or not.
  [[gnu::always_inline]] std::int64_t spell(const Meaning& meaning) {
    const std::int64_t spelled = tripleCost(triples, before, last, meaning.symbol);
    const bool thirdInRow = meaning.symbol == last && last == before;
    const std::int64_t next = thirdInRow ? std::min(repeatedLetterCost, spelled) : spelled;
    if (thirdInRow) [[unlikely]]
      takeBackSecondTime();
    if constexpr (withTraits) traits.spelling += next;
    return next;
  }

  // A letter: its triple and whether it is a capital where it stands.
  [[gnu::always_inline]] void addLetter(const Meaning& meaning) {
    if (capitalContext == 3) {
      dashBeforeWord = false;
      capitalContext = afterCapitals      ? 6
                       : startPending != 0 ? startPending
                       : (lineState & LineState::afterFieldOpener) != 0 ? lineStart
                       : (lineState & LineState::blank) != 0            ? wrappedLineStart
                                                                         : 3;
      if (capitalContext == sentenceStart) {
        if (writesSmallSentenceStarts) capitalContext = 3;
        writesSmallSentenceStarts |= !meaning.capital && sentenceEndedInText;
      }
    }
    if (capitalContext == 1 && capitalRun == 1 && afterCapitals) capitalContext = 7;
    startPending = 0;
    // A capital does not sit inside a word: a text that begins with one
    // begins a word, as a whole text does.
    if (last == guessTextStart && (meaning.capital || startsWord)) last = 0;
    // A letter said a third time in a row is drawn out for emphasis
    // (Дааааа, Хммм), which the triples of written Russian never saw; so
    // is its second time, which they price as no word has it (йй and хх
    // in АААааайййххх, рр in гггррррр): its triple comes down to a drawn-out
    // letter's cost then.
    const std::int64_t next = spell(meaning);
    cost += (capitalRun >= 1 && capitalRun < longestAbbreviation && meaning.capital
                 ? eitherCost(next, tripleCost(triples, guessTextStart, 0, meaning.symbol))
                 : next) +
            capitalCosts[capitalContext][meaning.capital];
    capitalRun = meaning.capital && capitalRun >= 0 ? capitalRun + 1 : -1;
    capitalContext = capitalRun >= 2 ? 5 : meaning.capital ? 1 : smallBefore;
    before = last;
    last = meaning.symbol;
  }
};

// The whole reading's cost: a text may end a word or cut one, half of each.
template <bool withTraits>
std::int64_t totalCost(const Scorer<withTraits>& scorer) {
  return scorer.cost + eitherCost(tripleCost(scorer.before, scorer.last, 0), 0) +
         (scorer.dashBeforeWord ? speechDashWordDiscount : 0) -
         (scorer.closerAfterSpace == Scorer<withTraits>::CloserAfterSpace::charged
              ? closerAfterSpaceCost
              : 0);
}

// Letters of the scripts other languages are written in, the marks that
// CJK text sets between them and the signs of Latin-1 (¿ ¼ ² ¸): valid
// UTF-8 of those languages reads as what it is. Among the two-byte
// characters, the points Unicode leaves unassigned are left out: no text
// holds them, but a capital and a sign of Windows-1251 make them (Чё is
// U+05F8). So is CJK's rare extension A (U+3400 to U+4DBF), which Chinese
// text hardly sets but CP866's у or ф before two letters makes (удачно is
// 㤠筮).
bool isOtherScriptLetter(char32_t c) {
  static constexpr char32_t ranges[][2] = {
      {0xA1, 0x24F},    {0x370, 0x377},   {0x37A, 0x37F},   {0x384, 0x38A},
      {0x38C, 0x38C},   {0x38E, 0x3A1},   {0x3A3, 0x3FF},   {0x531, 0x556},
      {0x559, 0x58A},   {0x58D, 0x58F},   {0x591, 0x5C7},   {0x5D0, 0x5EA},
      {0x5EF, 0x5F4},   {0x600, 0x6FF},   {0x900, 0xEFF},   {0x10A0, 0x10FF},
      {0x1E00, 0x1FFF}, {0x3000, 0x30FF}, {0x4E00, 0x9FFF},
      {0xAC00, 0xD7A3}, {0xFF00, 0xFFEF}};
  for (const auto& [first, last] : ranges) {
    if (c < first) return false;
    if (c <= last) return c != 0xD7 && c != 0xF7;
  }
  return false;
}

// The UTF-8 reading's cost, and whether the text is well-formed UTF-8; of
// malformed text, the cost of as much as stays below limit.
struct Utf8Reading {
  std::int64_t cost;
  bool wellFormed;
};
Utf8Reading scoreUtf8(const unsigned char* text, std::size_t size, bool complete,
                      std::int64_t limit) {
  static constexpr Meaning malformedByte = [] {
    Meaning meaning{0, false, malformedCost};
    meaning.settle();
    return meaning;
  }();
  Scorer<false> scorer;
  std::int64_t otherScriptLetters = 0;
  bool malformed = false, afterOtherScript = false;
  // ASCII is what it is in every 8-bit page, whose tables hold it ready.
  const std::array<Meaning, 256>& ascii = pageReadings()[codKoi].meanings;
  // And the Cyrillic letters, most of the rest of a Russian text, are
  // classified once.
  constexpr char32_t cyrillicBlock = 0x400;
  static const auto cyrillic = [] {
    std::array<Meaning, 0x60> letters;
    for (std::size_t k = 0; k < letters.size(); ++k)
      letters[k] = classify(cyrillicBlock + static_cast<char32_t>(k));
    return letters;
  }();
  for (std::size_t i = 0; i < size;) {
    // Once the text is known to be no UTF-8, the rest counts only as cost.
    if (malformed && scorer.cost >= limit) break;
    if (text[i] < 0x80) {
      afterOtherScript = false;
      scorer.add(ascii[text[i]]);
      ++i;
      continue;
    }
    const Sequence sequence = readSequence(text + i, size - i);
    if (sequence.kind == SequenceKind::cutShort && !complete) break;
    if (sequence.kind != SequenceKind::complete) {
      scorer.add(malformedByte);
      malformed = true;
      ++i;
      continue;
    }
    Meaning meaning = sequence.codePoint - cyrillicBlock < cyrillic.size()
                          ? cyrillic[sequence.codePoint - cyrillicBlock]
                          : classify(sequence.codePoint);
    const bool otherScript = meaning.cost == oddCost && isOtherScriptLetter(sequence.codePoint);
    if (otherScript) {
      meaning.cost = afterOtherScript ? otherScriptLetterCost : otherScriptRunCost;
      ++otherScriptLetters;
    }
    afterOtherScript = otherScript;
    scorer.add(meaning);
    i += sequence.length;
  }
  // Bytes of an 8-bit page happen to form a CJK character or two among
  // the ones that no UTF-8 reads; text in UTF-8 is valid throughout, so
  // there each of those letters pays back what a letter inside a run is
  // spared (the first of a run more than what it was spared).
  const std::int64_t undiscounted = malformed ? otherScriptLetters : 0;
  return {totalCost(scorer) + undiscounted * (oddCost - otherScriptLetterCost), !malformed};
}

// What each ASCII byte is in a word of Russian letters: a lookalike is
// then the letter it looks like, so a word typed with a few Latin o's and
// c's still spells as Russian.
const std::array<Meaning, 128>& inRussianWord() {
  static const auto meanings = [] {
    std::array<Meaning, 128> all;
    for (char32_t c = 0; c < 128; ++c) {
      const auto lookalike = russianLookalikes.find(static_cast<char>(c));
      all[c] = classify(lookalike == russianLookalikes.npos ? c : russianLookedLike[lookalike]);
    }
    return all;
  }();
  return meanings;
}

bool latinInWord(const Meaning& meaning) { return meaning.latinLetter || meaning.lookalike; }

unsigned char isAsciiLetter(unsigned char byte) {
  return static_cast<unsigned char>((byte | 0x20) - 'a') < 26;
}

// A name or a cut word may spell English badly (Jрeg, tscaрe): beyond 4
// bits a typed-in letter would lose to a Russian letter's reading of its
// byte inside the Latin word (KOI8-R's Jрeg is ISO 8859-5's Jвeg).
constexpr std::int64_t typedInLetterCostCap = 16;

// A typed-in lookalike is read as the Latin letter its word needs: CP866's
// р in Exрlorer is Windows' а, and Explorer spells English where Exalorer
// does not. What the letter at text[at] costs its word in English beyond
// the average, for the three triples it stands in; lookalikes beside it
// read as their twins too.
std::int64_t typedInLetterCost(const std::array<Meaning, 256>& meanings,
                               const unsigned char* text, std::size_t size, std::size_t at) {
  static const auto costs =
      decodeCosts<englishSymbolCount * englishSymbolCount * englishSymbolCount>(
          englishTripleCosts);
  const auto symbolAt = [&](std::size_t k) {
    if (k >= size) return 0;  // past either end, as k wraps below 0
    const unsigned char twin = meanings[text[k]].latinTwin;
    const unsigned char byte = twin != 0 ? twin : text[k];
    return isAsciiLetter(byte) ? (byte | 0x20) - 'a' + 1 : 0;
  };
  const auto triple = [&](int a, int b, int c) {
    return costs[(a * englishSymbolCount + b) * englishSymbolCount + c] -
           std::int64_t{averageEnglishTripleCost};
  };
  const int twoBefore = symbolAt(at - 2), before = symbolAt(at - 1), letter = symbolAt(at),
            after = symbolAt(at + 1), twoAfter = symbolAt(at + 2);
  return std::min(triple(twoBefore, before, letter) + triple(before, letter, after) +
                      (after != 0 ? triple(letter, after, twoAfter) : 0),
                  typedInLetterCostCap);
}

// Where runs of Russian letters in a word that holds a Latin letter touch
// its Latin lookalikes, which are Latin there: ISO 8859-5 reads ISO 8859-2's
// Połącz as PoГБcz. Not a Russian ending in small letters after a Latin
// word (gccом), counted apart as a glued ending, nor a letter alone, as
// often one typed in (IMНO), but for a small one that no Latin letter
// looks like between two lookalikes: Windows reads Spanish vacía as
// vacнa. A capital that ends a word after a small lookalike is no letter
// typed in, which takes its word's case, nor an ending: CP866 reads
// Danish på in CP865 as pЖ. Out of line: inlined, it cost a guess 4% more
// instructions.
struct LookalikeContacts {
  std::size_t contacts = 0, gluedEndings = 0;
};
[[gnu::noinline]] LookalikeContacts contactsWithLatinLookalikes(
    const std::array<Meaning, 256>& meanings, const unsigned char* text, std::size_t start,
    std::size_t end) {
  LookalikeContacts found;
  std::size_t touching = 0, run = 0;
  bool capitalInRun = false, afterSmallLookalike = false;
  for (std::size_t k = start; k < end; ++k) {
    const Meaning& here = meanings[text[k]];
    if (here.symbol == 0) {
      capitalInRun = false;
      touching = run = 0;
      continue;
    }
    if (run++ == 0) afterSmallLookalike = k > start && text[k - 1] >= 'a' && text[k - 1] <= 'z';
    capitalInRun |= here.capital;
    touching += k > start && meanings[text[k - 1]].lookalike;
    if (k + 1 < end && meanings[text[k + 1]].symbol != 0) continue;
    const bool latinAfter = k + 1 < end;
    touching += latinAfter && meanings[text[k + 1]].lookalike;
    const bool untwinnedInside =
        run == 1 && latinAfter && touching == 2 && !here.capital && here.latinTwin == 0;
    if ((run >= 2 && (latinAfter || capitalInRun)) || untwinnedInside)
      found.contacts += touching;
    else
      found.gluedEndings +=
          !latinAfter && touching != 0 && (!capitalInRun || afterSmallLookalike);
  }
  return found;
}

// Places in text[start, end) where a Russian letter touches a Latin
// lookalike of its own case: a small x between capitals is a times sign
// (ШИРИНАxВИСИНА), where a typed-in letter takes its word's case.
[[gnu::noinline]] std::size_t lookalikeContacts(const std::array<Meaning, 256>& meanings,
                                                const unsigned char* text, std::size_t start,
                                                std::size_t end) {
  std::size_t contacts = 0;
  for (std::size_t k = start; k + 1 < end; ++k) {
    const unsigned char a = text[k], b = text[k + 1];
    const auto russianBesideLookalike = [&](unsigned char russian, unsigned char latin) {
      return meanings[russian].symbol != 0 && meanings[latin].lookalike &&
             meanings[russian].capital == (latin >= 'A' && latin <= 'Z');
    };
    contacts += russianBesideLookalike(a, b) || russianBesideLookalike(b, a);
  }
  return contacts;
}

// Scores a page's reading of text, or of as much of it as leaves its cost
// below limit: past that, no more is read. Russian letters are looked for
// in Latin words only where typedInPossible: a text without an ASCII
// letter beside a byte above 0x7F has none.
template <bool withTraits, bool typedInPossible>
Scorer<withTraits> scoreReading(const std::array<Meaning, 256>& meanings,
                                const unsigned char* text, std::size_t size, TextStart start,
                                std::int64_t limit) {
  Scorer<withTraits> scorer;
  if (start != TextStart::cut) {
    // A whole text starts a word, and a sentence or a line, also past the
    // quote or the dash that opens it ("Я...", — Я...).
    scorer.capitalContext =
        start == TextStart::sentence ? scorer.sentenceStart : scorer.lineStart;
    scorer.startPending = scorer.capitalContext;
    scorer.startsWord = true;
    scorer.nothingToClose = true;
    scorer.lineState = LineState::blank;
  }
  const auto& russianWord = inRussianWord();
  std::size_t wordEnd = 0;  // past the last word looked at whole
  bool lookalikesAreRussian = false, russianTypedIn = false;
  for (std::size_t i = 0; i < size; ++i) {
    if (scorer.cost >= limit) break;
    const Meaning* meaning = &meanings[text[i]];
    // A word is looked at whole only for a lookalike in it: a Latin one,
    // or a Russian one that starts a run of Russian letters beside Latin.
    bool lookAtWord = meaning->lookalike && i >= wordEnd;
    if constexpr (typedInPossible)
      lookAtWord |= i >= wordEnd && meaning->latinTwin != 0 &&
                    (scorer.last == 0 || scorer.last == guessTextStart) &&
                    ((i > 0 && latinInWord(meanings[text[i - 1]])) ||
                     (i + 1 < size && latinInWord(meanings[text[i + 1]])));
    if (lookAtWord) {
      std::size_t start = i;
      while (start > 0 && meanings[text[start - 1]].inWord()) --start;
      std::size_t russian = 0, latinLetters = 0;
      bool latin = false, twinned = true, smallLatin = false;
      for (wordEnd = start; wordEnd < size && meanings[text[wordEnd]].inWord(); ++wordEnd) {
        const Meaning& inWord = meanings[text[wordEnd]];
        russian += inWord.symbol != 0;
        latinLetters += inWord.symbol == 0;
        latin |= inWord.latinLetter;
        smallLatin |= text[wordEnd] >= 'a' && text[wordEnd] <= 'z';
        twinned &= inWord.symbol == 0 || inWord.latinTwin != 0;
      }
      // Two Russian letters and no Latin one but lookalikes: a Russian
      // word. Small Russian lookalikes among two small Latin letters or
      // more: an English one (not a format's %sх, nor a word in capitals),
      // unless one ends it where English ends no word so: KOI8-R reads
      // Mac's closing quotes (“ as р), a p after any word, but ftр is ftp.
      lookalikesAreRussian = russian >= 2 && !latin;
      russianTypedIn = typedInPossible && latin && twinned && smallLatin && latinLetters >= 2 &&
                       (meanings[text[wordEnd - 1]].symbol == 0 ||
                        typedInLetterCost(meanings, text, size, wordEnd - 1) <= 0);
      if constexpr (withTraits) {
        if (lookalikesAreRussian && russian <= longestShortWord)
          scorer.traits.lookalikeContacts += lookalikeContacts(meanings, text, start, wordEnd);
        // A Latin text's accented letters read as lookalikes typed in too:
        // each touches a Latin letter, as a Russian letter there does.
        for (std::size_t k = start; russianTypedIn && k < wordEnd; ++k) {
          if (meanings[text[k]].symbol == 0) continue;
          ++scorer.traits.typedIn;
          scorer.traits.mixed += (k > start && meanings[text[k - 1]].latinLetter) ||
                                 (k + 1 < wordEnd && meanings[text[k + 1]].latinLetter);
        }
        // A word of lookalikes and one Russian letter is no Russian word
        // typed in, as two are: a Latin word's accent (Danish på, which
        // Windows reads as pе).
        if ((latin || russian == 1) && !lookalikesAreRussian && !russianTypedIn) {
          const LookalikeContacts found =
              contactsWithLatinLookalikes(meanings, text, start, wordEnd);
          scorer.traits.mixed += found.contacts;
          scorer.traits.gluedEndings += found.gluedEndings;
        }
      }
    }
    if (i < wordEnd) {
      if (meaning->lookalike && lookalikesAreRussian)
        meaning = &russianWord[text[i]];
      else if (russianTypedIn && meaning->latinTwin != 0) {
        const std::int64_t englishCost = typedInLetterCost(meanings, text, size, i);
        scorer.cost += englishCost;
        if constexpr (withTraits) scorer.traits.typedInEnglish += englishCost <= 0;
        meaning = &meanings[meaning->latinTwin];
      }
    }
    scorer.add(*meaning);
  }
  return scorer;
}

template <bool withTraits>
Scorer<withTraits> scorePage(const std::array<Meaning, 256>& meanings,
                             const unsigned char* text, std::size_t size, TextStart start,
                             bool typedInPossible, std::int64_t limit = noCostLimit) {
  return typedInPossible
             ? scoreReading<withTraits, true>(meanings, text, size, start, limit)
             : scoreReading<withTraits, false>(meanings, text, size, start, limit);
}

// Whether an ASCII letter touches a byte above 0x7F anywhere: only then
// may a Russian letter be typed into a Latin word.
bool upperBesideLatin(const unsigned char* text, std::size_t size) {
  // Without a branch, so that the compiler can vectorize it.
  unsigned char beside = 0;
  for (std::size_t i = 1; i < size; ++i) {
    const unsigned char before = text[i - 1], here = text[i];
    beside |= (isAsciiLetter(before) & (here >> 7)) | (isAsciiLetter(here) & (before >> 7));
  }
  return beside != 0;
}

// C0 controls that text does not hold. Tab, line and page breaks are
// text; so are backspace (overstrike in formatted manuals), escape
// (terminal colours in logs) and Ctrl-Z (the end of a DOS file), which
// guessPage counts once.
bool isForeignControl(int byte) {
  return byte != '\t' && byte != '\n' && byte != '\v' && byte != '\f' && byte != '\r' &&
         byte != '\b' && byte != 0x1B && byte != 0x1A;
}

// Latin letters on the lines that hold a byte above 0x7F: a German line
// is mostly Latin around its few accented letters, where a Russian
// comment in a long source file is Russian whatever the code around it.
std::size_t latinLettersBesideUpper(const unsigned char* text, std::size_t size) {
  std::size_t total = 0, line = 0;
  bool upperOnLine = false;
  for (std::size_t i = 0; i < size; ++i) {
    line += isAsciiLetter(text[i]);
    upperOnLine |= text[i] >= 0x80;
    if (text[i] == '\n' || i + 1 == size) {
      total += upperOnLine ? line : 0;
      line = 0;
      upperOnLine = false;
    }
  }
  return total;
}

// Whether a word of Russian letters at least shortestWordAtEdge long
// starts or ends the text, with a space or a mark on its other side, and
// spells as the end or the start of a Russian word may, at no more than
// the bits a letter of another language's text costs: a cut may have
// left it of a longer word, so it tells nothing of how few the Russian
// words are. A Chinese or Japanese character at a line's edge reads as
// two letters that seldom spell so (GBK's 行: reads пп: in KOI8-R), and
// one glued to a number (EUC-JP's 図17.3, ISO 8859-5's Яо17.3) is no word.
bool wordAtEdge(const Meaning* meanings, const unsigned char* text, std::size_t size) {
  const auto russianLetter = [&](std::size_t i) { return meanings[text[i]].symbol != 0; };
  const auto wordBeside = [&](std::size_t run, std::size_t beside) {
    return run >= shortestWordAtEdge && (run == size || !meanings[text[beside]].latinOrDigit);
  };
  const auto spellsAsRussian = [&](std::size_t first, std::size_t run, bool endsWord) {
    int before = guessTextStart, last = endsWord ? guessTextStart : 0;
    std::int64_t cost = 0;
    for (std::size_t i = first; i < first + run; ++i) {
      cost += tripleCost(before, last, meanings[text[i]].symbol);
      before = last;
      last = meanings[text[i]].symbol;
    }
    if (endsWord) cost += tripleCost(before, last, 0);
    return cost <= otherLanguageLetterCost * static_cast<std::int64_t>(run);
  };
  std::size_t run = 0;
  while (run < size && russianLetter(run)) ++run;
  if (wordBeside(run, run) && spellsAsRussian(0, run, true)) return true;
  run = 0;
  while (run < size && russianLetter(size - 1 - run)) ++run;
  return wordBeside(run, size - 1 - run) && spellsAsRussian(size - run, run, false);
}

// Where a page's reading of a text has its first Russian letter; size
// where it has none.
std::size_t firstRussianLetter(const Meaning* meanings, const unsigned char* text,
                               std::size_t size) {
  std::size_t first = 0;
  while (first < size && meanings[text[first]].symbol == 0) ++first;
  return first;
}

// Whether a page's reading of a text sets guillemets with a space inside
// each, as French does (« %s »), where Russian sets none («%s»).
bool spacedGuillemets(const PageReading& reading, const unsigned char* text, std::size_t size) {
  bool opened = false;
  for (std::size_t i = 0; i + 1 < size; ++i) {
    if (reading.characters[text[i]] == U'\u00AB' && text[i + 1] == ' ') opened = true;
    if (opened && text[i] == ' ' && reading.characters[text[i + 1]] == U'\u00BB') return true;
  }
  return false;
}

// Whether a text's only Russian letters, a word of two, stand as Russian
// sets no such word: inside a Latin word, or glued to its end with a
// capital first, as a Latin page's accented letters stand (ISO 8859-5
// reads ISO 8859-2's Połączenie as PoГБczenie, CP866 reads Windows-1250's
// Długość as D│ugoЬц; a Russian ending is small, gccом), a
// capital and a small letter inside a line after a Latin word, or two
// small letters glued after a number (Shift_JIS's → reads as CP866's Би in
// `Edit Би Input Devices`, EUC-JP's 対 as ISO 8859-5's Та, GBK's ° as
// CP866's бу in `Rotate 90бу clockwise`). At the text's end the word may
// be what a cut left of a longer one.
bool oddPairAmongLatin(const Meaning* meanings, const unsigned char* text, std::size_t size) {
  const std::size_t first = firstRussianLetter(meanings, text, size);
  if (first == 0 || first + 2 >= size) return false;
  if (latinInWord(meanings[text[first - 1]]) &&
      (latinInWord(meanings[text[first + 2]]) || meanings[text[first]].capital))
    return true;
  const bool capitalFirst = meanings[text[first]].capital;
  if (meanings[text[first + 1]].capital) return false;
  if (!capitalFirst) return meanings[text[first - 1]].digit;
  std::size_t before = first;
  while (before > 0 && meanings[text[before - 1]].space) --before;
  return before > 0 && before < first && meanings[text[before - 1]].latinLetter;
}

// The longest run of Russian letters that may stand as a word: none of a
// word whose letters change script twice or more, as a Latin word's
// accents read (Turkish yığın and başlığı, which Windows reads as yэрэn
// and baюlэрэ); a run glued to one end of a Latin word may be a
// placeholder (.relИМЯ), or with gluedToLatin false, not even that.
std::size_t longestStandingRun(const Meaning* meanings, const unsigned char* text,
                               std::size_t size, bool gluedToLatin) {
  std::size_t longest = 0, wordLongest = 0, run = 0, changes = 0;
  bool inWord = false, lastRussian = false;
  for (std::size_t i = 0; i <= size; ++i) {
    const bool russian = i < size && meanings[text[i]].symbol != 0;
    if (russian || (i < size && latinInWord(meanings[text[i]]))) {
      changes += inWord && russian != lastRussian;
      run = russian ? run + 1 : 0;
      wordLongest = std::max(wordLongest, run);
      inWord = true;
      lastRussian = russian;
      continue;
    }
    if (changes < (gluedToLatin ? 2u : 1u)) longest = std::max(longest, wordLongest);
    wordLongest = run = changes = 0;
    inWord = false;
  }
  return longest;
}

// Whether a reading's letters are all і standing as words of their own
// before a printf conversion, Ukrainian's and Belarusian's "and" in a list
// of them (%s, %s і %s.), and there is one. Not an і alone anywhere: a
// Russian capital alone before other signs is a list's label (пункт Г).
bool onlyLoneAnds(const PageReading& reading, const unsigned char* text, std::size_t size) {
  bool any = false;
  for (std::size_t i = 0; i < size; ++i) {
    if (reading.meanings[text[i]].symbol == 0) continue;
    if (reading.characters[text[i]] != U'\u0456' ||
        (i > 0 && reading.meanings[text[i - 1]].inWord()) || i + 2 >= size ||
        text[i + 1] != ' ' || text[i + 2] != '%')
      return false;
    any = true;
  }
  return any;
}

// Whether a text's one Russian letter ends an ordinal written in figures
// (2-я версия, 90-х, 3-й): a word of its own after a number and a hyphen.
bool ordinalEnding(const Meaning* meanings, const CodeChart& characters,
                   const unsigned char* text, std::size_t size) {
  const std::size_t at = firstRussianLetter(meanings, text, size);
  return at >= 2 && at + 1 < size && text[at - 1] == '-' && meanings[text[at - 2]].digit &&
         !meanings[text[at + 1]].latinLetter &&
         std::u32string_view(U"еймхюя").find(characters[text[at]]) != std::u32string_view::npos;
}

// The longest word of the short lists below (units, abbreviations, common
// words), in letters.
constexpr std::size_t longestListedWord = 4;

// Whether a page's reading of text[start, end) is one of words.
bool spellsListedWord(const PageReading& reading, const unsigned char* text, std::size_t start,
                      std::size_t end, std::span<const std::u32string_view> words) {
  if (end - start > longestListedWord) return false;
  char32_t word[longestListedWord]{};
  for (std::size_t j = start; j < end; ++j) word[j - start] = reading.characters[text[j]];
  return std::find(words.begin(), words.end(), std::u32string_view(word, end - start)) !=
         words.end();
}

// How many of a page's reading's words, runs of its letters, are among
// words and stand where fits(start, end) says they may.
template <typename Fits>
std::size_t wordsAmong(const PageReading& reading, const unsigned char* text, std::size_t size,
                       std::span<const std::u32string_view> words, Fits fits) {
  const Meaning* meanings = reading.meanings.data();
  std::size_t count = 0;
  for (std::size_t i = 0; i < size;) {
    if (meanings[text[i]].symbol == 0) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < size && meanings[text[i]].symbol != 0) ++i;
    if (i - start > longestListedWord || !fits(start, i)) continue;
    count += spellsListedWord(reading, text, start, i, words);
  }
  return count;
}

// How many times a page's reading of a text says "and so on", "and
// others" or "that is" as Russian, Ukrainian and Bulgarian abbreviate them
// (gzip, bzip2 и т. п.; ISO, KOI, DOS і т. д.; и т.н.; Foundation, Inc. и
// др.; т. е.): т and a full stop, then д, п, н or е and one; or др and
// one. Few letters among Latin read as a Latin text's accents, but no
// Latin page sets Windows' ò. ä. or äð., nor KOI8-R's Ô. Ä. or ÄÒ., so.
std::size_t etceteras(const PageReading& reading, const unsigned char* text, std::size_t size) {
  static constexpr std::u32string_view abbreviations[] = {U"т", U"др"};
  constexpr std::u32string_view on = U"дпне";
  const Meaning* meanings = reading.meanings.data();
  return wordsAmong(reading, text, size, abbreviations, [&](std::size_t start, std::size_t end) {
    if ((start > 0 && meanings[text[start - 1]].inWord()) || end >= size || text[end] != '.')
      return false;
    if (end - start == 2) return true;
    std::size_t next = end + 1;
    if (next < size && text[next] == ' ') ++next;
    return next < size && on.find(reading.characters[text[next]]) != on.npos &&
           (next + 1 == size || text[next + 1] == '.');
  });
}

// Whether a byte is the letter that ends a printf conversion.
bool isConversionLetter(unsigned char byte) {
  static constexpr auto conversions = [] {
    std::array<bool, 256> is{};
    for (const char c : std::string_view("diouxXeEfgGcsp"))
      is[static_cast<unsigned char>(c)] = true;
    return is;
  }();
  return conversions[byte];
}

// Whether text[at] ends a printf conversion (%u, %.1f, %lu).
bool endsConversion(const unsigned char* text, std::size_t at) {
  constexpr std::string_view insideConversion = "0123456789.*-+ #hlLqjzt";
  if (!isConversionLetter(text[at])) return false;
  std::size_t start = at;
  while (start > 0 &&
         insideConversion.find(static_cast<char>(text[start - 1])) != std::string_view::npos)
    --start;
  return start > 0 && text[start - 1] == '%';
}

bool isNumberConversion(unsigned char byte) {
  return std::string_view("diouxXeEfgG").find(static_cast<char>(byte)) != std::string_view::npos;
}

// Whether a printf conversion of a number ends at text[at] (%d, %.2f).
bool endsNumberConversion(const unsigned char* text, std::size_t at) {
  return isNumberConversion(text[at]) && endsConversion(text, at);
}

// Where the letter of a printf conversion that starts at text[at] stands,
// or size where none starts there. Read forward, a space or a * is taken
// for no flag, as a percent sign before a word would read so (100% done).
std::size_t conversionLetter(const unsigned char* text, std::size_t size, std::size_t at) {
  if (at >= size || text[at] != '%') return size;
  std::size_t end = at + 1;
  while (end < size && std::string_view("0123456789.-+#hlLqjzt").find(static_cast<char>(
                           text[end])) != std::string_view::npos)
    ++end;
  return end < size && isConversionLetter(text[end]) ? end : size;
}

// Whether a conversion of a number starts at text[at].
bool startsNumberConversion(const unsigned char* text, std::size_t size, std::size_t at) {
  const std::size_t letter = conversionLetter(text, size, at);
  return letter < size && isNumberConversion(text[letter]);
}

// The small letter of a Cyrillic capital that the 8-bit pages hold (all
// of theirs are in U+0400..U+042F but Ґ), else c itself.
char32_t smallCyrillic(char32_t c) {
  if (c >= 0x400 && c < 0x410) return c + 0x50;
  if (c >= 0x410 && c < 0x430) return c + 0x20;
  return c == 0x490 ? 0x491 : c;
}

// What a page's reading of a text takes off its cost for a unit at start,
// as Russian abbreviates it (28 мм, 512 МБ, %u.%2.2u КиБ/с) or Ukrainian
// and Serbian do (%.1f МіБ, %d.00 тчк), or 0 for none: the model, trained
// on prose, prices them as rare words, and in lists they come one a line
// (a catalog of lenses: Canon EF 28 мм f/1.8). That is knownUnitDiscount,
// endedUnitDiscount where the text goes on after it, and for each capital
// it sets after a small letter what a capital there costs (кВт, КиБ, дБ):
// SI and IEC write them so, as no prose word is written.
std::int64_t unitDiscountAt(const PageReading& reading, const unsigned char* text,
                            std::size_t size, std::size_t start) {
  static constexpr std::u32string_view units[] = {
      U"мм",  U"см",  U"км",  U"мкм", U"нм",  U"кг",  U"мг",  U"мл",  U"мс",  U"мкс",
      U"сек", U"мин", U"руб", U"коп", U"шт",  U"стр", U"тыс", U"млн", U"млрд", U"КБ",
      U"МБ",  U"ГБ",  U"ТБ",  U"КиБ", U"МиБ", U"ГиБ", U"ТиБ", U"Гц",  U"кГц", U"МГц",
      U"ГГц", U"Вт",  U"кВт", U"пт",  U"тчк", U"КіБ", U"МіБ", U"ГіБ", U"ТіБ", U"дБ",
      U"мсек", U"бит", U"кбит", U"Мбит", U"біт", U"кбіт", U"Мбіт", U"Кб", U"кб", U"Мб",
      U"Гб", U"кБ", U"пикс"};
  // Read no further than a word one letter too long for the list.
  const std::size_t last = std::min(size, start + longestListedWord + 1);
  std::size_t end = start;
  std::int64_t capitalsAfterSmall = 0;
  std::size_t capitals = 0;
  for (; end < last && reading.meanings[text[end]].symbol != 0; ++end) {
    const bool capital = reading.meanings[text[end]].capital;
    capitals += capital;
    capitalsAfterSmall += end > start && capital && !reading.meanings[text[end - 1]].capital;
  }
  if (spellsListedWord(reading, text, start, end, units))
    return knownUnitDiscount + (end < size ? endedUnitDiscount : 0) +
           capitalCosts[Scorer<false>::smallBefore][1] * capitalsAfterSmall;
  // Text set in capitals sets its units so too (50 ГЦ, 28 ММ).
  const std::size_t length = end - start;
  if (length < 2 || length > longestListedWord || capitals < length) return 0;
  const auto inCapitals = [&](std::u32string_view unit) {
    if (unit.size() != length) return false;
    for (std::size_t j = 0; j < length; ++j)
      if (smallCyrillic(unit[j]) != smallCyrillic(reading.characters[text[start + j]]))
        return false;
    return true;
  };
  return std::any_of(std::begin(units), std::end(units), inCapitals) ? knownUnitDiscount : 0;
}

// Calls visit(i) at each place i where a unit may stand: a run of bytes past
// ASCII after a number and a space, or after a printf conversion and a
// space where the run is as short as a unit (most words there are nouns).
template <typename Visit>
void visitUnitPlaces(const unsigned char* text, std::size_t size, Visit visit) {
  for (std::size_t i = 2; i < size; ++i) {
    if (text[i] < 0x80 || text[i - 1] != ' ') continue;
    if (text[i - 2] < '0' || text[i - 2] > '9') {
      std::size_t end = i;
      while (end < size && text[end] >= 0x80) ++end;
      if (end - i > longestListedWord || !endsConversion(text, i - 2)) continue;
    }
    visit(i);
  }
}

// How often each byte value occurs in a text, and which values above 0x7F
// it holds: a line holds a few dozen of those 128, and the loops over them
// below visit only those, where visiting all 128 for each question cost a
// guess 1.5% more instructions.
struct ByteCounts {
  std::array<std::size_t, 256> of{};
  // In the order of their first use; one spare, as countBytes writes each
  // byte there before it knows whether the value is new.
  std::array<unsigned char, 129> upperHeld;
  std::size_t upperKinds = 0;

  std::span<const unsigned char> upper() const { return {upperHeld.data(), upperKinds}; }
};

ByteCounts countBytes(const unsigned char* text, std::size_t size) {
  ByteCounts counts;
  // Without a branch: a value's first time adds it to the list.
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char byte = text[i];
    counts.upperHeld[counts.upperKinds] = byte;
    counts.upperKinds += (counts.of[byte]++ == 0) & (byte >> 7);
  }
  return counts;
}

// What the units that each 8-bit page's reading of a text sets take off its
// cost, all pages read at each place in one pass; the digits, percent signs
// and spaces are counted first, as most lines hold no place at all.
std::array<std::int64_t, codAfterLast> unitDiscountsByPage(const ByteCounts& counts,
                                                           const unsigned char* text,
                                                           std::size_t size) {
  std::array<std::int64_t, codAfterLast> discounts{};
  std::size_t digits = 0;
  for (int digit = '0'; digit <= '9'; ++digit) digits += counts.of[digit];
  if ((digits == 0 && counts.of['%'] == 0) || counts.of[' '] == 0) return discounts;
  visitUnitPlaces(text, size, [&](std::size_t i) {
    for (int page = codKoi; page < codUtf; ++page)
      discounts[page] += unitDiscountAt(pageReadings()[page], text, size, i);
  });
  return discounts;
}

// Whether a text's one Russian letter is a Latin page's ×, 0xD7, between
// two numbers: a size (640 × 480, 10"×15", %.0f × %.0f mm), which KOI8-R
// reads as в, ISO 8859-5 as з and Windows as Ч. Russian glues no letter to
// a number on both sides, and sets a preposition spaced between two only
// where they are short (3 в 1). A conversion of a number counts as a long
// one, where a string's does not (%s в %d).
bool timesBetweenNumbers(const Meaning* meanings, const unsigned char* text, std::size_t size) {
  const std::size_t at = firstRussianLetter(meanings, text, size);
  if (at >= size || text[at] != 0xD7) return false;
  const bool spaced = (at > 0 && text[at - 1] == ' ') || (at + 1 < size && text[at + 1] == ' ');
  std::size_t left = at > 0 && text[at - 1] == ' ' ? at - 1 : at;
  if (left > 0 && (text[left - 1] == '"' || text[left - 1] == '\'')) --left;
  std::size_t leftDigits = 0;
  for (; left > 0 && meanings[text[left - 1]].digit; --left) ++leftDigits;
  std::size_t right = at + 1 < size && text[at + 1] == ' ' ? at + 2 : at + 1, rightDigits = 0;
  for (; right < size && meanings[text[right]].digit; ++right) ++rightDigits;
  const std::size_t shortest = spaced ? 2 : 1;
  return (leftDigits >= shortest || (left > 0 && endsNumberConversion(text, left - 1))) &&
         (rightDigits >= shortest || startsNumberConversion(text, size, right));
}

// Whether a text's one Russian letter is a capital standing alone between
// two conversions (%s И %s): Portuguese's and Galician's é (is), which
// KOI8-R reads as И and CP866 reads in CP850 as В. Russian sets its
// conjunctions and prepositions there in small letters (%s и %s).
bool capitalBetweenConversions(const Meaning* meanings, const unsigned char* text,
                               std::size_t size) {
  const std::size_t at = firstRussianLetter(meanings, text, size);
  return at >= 2 && at + 2 < size && meanings[text[at]].capital && text[at - 1] == ' ' &&
         text[at + 1] == ' ' && endsConversion(text, at - 2) &&
         conversionLetter(text, size, at + 2) < size;
}

// How many of a page's letters follow a printf conversion glued to them
// (%3uд, %liхв, %sМБ): the conversion's letter is no Latin word's, so
// that no scripts mix there.
std::size_t lettersAfterConversions(const PageReading& reading, const unsigned char* text,
                                    std::size_t size) {
  std::size_t total = 0;
  for (std::size_t i = 1; i + 1 < size; ++i)
    total += reading.meanings[text[i + 1]].symbol != 0 && endsConversion(text, i);
  return total;
}

// Whether one byte above 0x7F or two stand between two ASCII letters
// anywhere.
bool upperInsideLatinWord(const unsigned char* text, std::size_t size) {
  if (size < 3) return false;
  // Without a branch, so that the compiler can vectorize it; the byte
  // before the last has room for no pair, and is asked alone after.
  unsigned char inside = 0;
  for (std::size_t i = 1; i + 2 < size; ++i)
    inside |= isAsciiLetter(text[i - 1]) & (text[i] >> 7) &
              (isAsciiLetter(text[i + 1]) | ((text[i + 1] >> 7) & isAsciiLetter(text[i + 2])));
  inside |= isAsciiLetter(text[size - 3]) & (text[size - 2] >> 7) & isAsciiLetter(text[size - 1]);
  return inside != 0;
}

// How many signs of a page's reading stand between two Latin letters, alone
// or beside one other byte above 0x7F, as none does in a Russian text but
// an apostrophe, a dash, a dot or a soft hyphen: a Latin text's accented
// letters read as signs (ISO 8859-5 reads Turkish's Süzgeç as S№zgeч,
// CP866 its Hızlı as H¤zl¤ and Portuguese's opção in CP850 as opЗ╞o).
std::size_t signsInsideLatinWords(const PageReading& reading, const unsigned char* text,
                                  std::size_t size) {
  constexpr std::u32string_view insideWords = U"\u00A0\u00AD\u00B4\u00B7\u2219\u2013\u2014"
                                              U"\u2018\u2019\u201A\u201C\u201D\u201E\u00AB\u00BB";
  const auto sign = [&](unsigned char byte) {
    const char32_t c = reading.characters[byte];
    return !isCyrillic(c) && c != U'µ' && c != U'ƒ' &&
           insideWords.find(c) == std::u32string_view::npos;
  };
  std::size_t total = 0;
  for (std::size_t i = 1; i + 1 < size; ++i) {
    if (text[i] < 0x80 || !isAsciiLetter(text[i - 1])) continue;
    if (isAsciiLetter(text[i + 1]))
      total += sign(text[i]);
    else if (text[i + 1] >= 0x80 && i + 2 < size && isAsciiLetter(text[i + 2]))
      total += sign(text[i]) + sign(text[i + 1]);
  }
  return total;
}

// How many capitals a page's reading of a text sets in placeholders, the
// words in capitals that name what an option takes in a command's
// synopsis (-o ФАЙЛ, --file=ФАЙЛ, [ОПЦИЯ], МСК_ТИПА): no language spells
// them. After an option and a space, only the option's last word is one,
// followed by a comma, a bracket or a column's gap: Hebrew in its pages
// reads as KOI8-R's capitals, and after an option's name it reads as
// words (--to-file ОДЕ --from-file ОД ЗПИИЖ). And none where a sign
// stands between two capitals: CP866 reads Mac's Serbian capitals so
// (ОПЦИ╖А for ОПЦИЈА). A word of capitals numbered where it starts is one
// anywhere: test's operands (АРГ1 = АРГ2, ЦЕО_БРОЈ1 -lt ЦЕО_БРОЈ2).
std::size_t placeholderCapitals(const PageReading& reading, const unsigned char* text,
                                std::size_t size) {
  const auto capital = [&](std::size_t i) {
    const char32_t c = reading.characters[text[i]];
    return c >= U'Ѐ' && c <= U'Я';
  };
  for (std::size_t i = 1; i + 1 < size; ++i)
    if (text[i] >= 0x80 && !isCyrillic(reading.characters[text[i]]) && capital(i - 1) &&
        capital(i + 1))
      return 0;
  const auto afterOption = [&](std::size_t space) {
    std::size_t start = space;
    while (start > 0 && (isAsciiLetter(text[start - 1]) || text[start - 1] == '-')) --start;
    return start < space && text[start] == '-';
  };
  const auto joinsWords = [](unsigned char byte) {
    return byte == '_' || byte == '-' || (byte >= '0' && byte <= '9');
  };
  constexpr std::string_view endsOptionsLastWord = ",])>\t\n";
  std::size_t total = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (!capital(i)) continue;
    const unsigned char before = i > 0 ? text[i - 1] : '\n';
    const bool afterSpace = before == ' ' && afterOption(i - 1);
    // Each run of capitals is measured once, from where it starts.
    bool numbered = false;
    if (before < 0x80 && !isAsciiLetter(before)) {
      std::size_t word = i;
      while (word < size && capital(word)) ++word;
      numbered = word - i >= 2 && word < size && text[word] >= '1' && text[word] <= '9';
    }
    if (!(afterSpace || before == '=' || before == '[' || before == '<' || numbered)) continue;
    std::size_t end = i, capitals = 0;
    for (; end < size && (capital(end) || joinsWords(text[end])); ++end) capitals += capital(end);
    const bool closed =
        end == size ||
        (afterSpace ? endsOptionsLastWord.find(static_cast<char>(text[end])) !=
                              std::string_view::npos ||
                          (end + 1 < size && text[end] == ' ' && text[end + 1] == ' ')
                    : text[end] < 0x80 && !isAsciiLetter(text[end]));
    if (closed && capitals >= 2) total += capitals;
    i = end;
  }
  return total;
}

// How many times a page's reading of a text sets, between spaces, one of the
// commonest words of two or three letters of Russian and the other
// Cyrillic languages (Canon EF 28-70mm f/2.8L или Sigma 24-70mm, Werner
// Almesberger та Craig Small), each seldom two signs or accented letters
// of another language's read as one of them by chance. Not Serbian's од
// and су, which Windows reads Hebrew's מה and סף as.
std::size_t commonWordsBetweenSpaces(const PageReading& reading, const unsigned char* text,
                                     std::size_t size) {
  static constexpr std::u32string_view common[] = {
      U"или", U"для", U"при", U"без", U"под", U"над", U"как", U"что", U"это", U"або",
      U"на",  U"не",  U"по",  U"за",  U"из",  U"от",  U"до",  U"та",  U"як",  U"се", U"са"};
  return wordsAmong(reading, text, size, common, [&](std::size_t start, std::size_t end) {
    return start > 0 && end < size && text[start - 1] == ' ' && text[end] == ' ';
  });
}

// How many words a page's reading of a text sets as the abbreviations that
// Russian business and official text is full of (ООО «Ромашка», ИНН
// 7701234567, КПП, НДС): capitals the model, trained on prose, prices as
// rare, and beside numbers and quotes with little else to spell.
std::size_t knownAbbreviations(const PageReading& reading, const unsigned char* text,
                               std::size_t size) {
  static constexpr std::u32string_view abbreviations[] = {
      U"ООО", U"ЗАО", U"ОАО", U"ПАО", U"ИНН", U"КПП", U"БИК", U"ОГРН", U"ОКПО", U"НДС",
      U"СССР", U"США", U"ГОСТ", U"МВД", U"ФСБ", U"СНГ", U"ООН", U"ДТП", U"ЖКХ", U"ТСЖ"};
  const Meaning* meanings = reading.meanings.data();
  const auto apart = [&](std::size_t i) {
    return !meanings[text[i]].inWord() && !meanings[text[i]].digit;
  };
  return wordsAmong(reading, text, size, abbreviations, [&](std::size_t start, std::size_t end) {
    return (start == 0 || apart(start - 1)) && (end == size || apart(end));
  });
}

// The order that breaks ties between readings: the commoner page first.
constexpr CodeId preference[] = {codUtf, codWin, codKoi, codDos, codIso, codMac};

// Russian's words of one small letter, on bytes that no Western, Greek or
// Turkish page reads as a word or a sign of its own: Latin-1 reads KOI8-R's
// с as Ó, Windows' в as â, CP866's и as ¨. Set between spaces among Latin
// (CPU с Apple, sigtimedwait(2) и sigwait(3)) they are Russian, where an
// accented letter would be a Latin text's. Left out: Windows' а and и,
// French à and Italian è; its у, CP437's ≤; KOI8-R's в, Latin-1's ×, but
// once (below), and its и and я, Mac Roman's … and —; CP866's с and о, Mac
// Roman's · and CP850's «; ISO 8859-5's о, Greek's ή, and its к, KOI8-R's
// з. With them, Ukrainian's and Belarusian's з (CD-ROM з Ubuntu), but for
// ISO 8859-5's, Latin-1's ×; CP866's is Latin-1's §, which stands before a
// number.
constexpr std::string_view wordsAmongLatin[codTableColumns] = {
    "\xC1\xCB\xCF\xD3\xD5\xDA", "\xE2\xE7\xEA\xEE\xF1", "\xA2\xA7\xA8\xAA",
    "\xE2\xE7\xEA\xEE\xF1", "\xD2\xD8"};

// Words of one letter that count once a text: KOI8-R's в, Latin-1's × and
// Mac Roman's ◊, which stand between numbers or as a list's separators
// (Home ◊ About ◊ Contact), not once between words (Debian 12 (bookworm) в
// VirtualBox). ISO 8859-5's з, Belarusian's "with", is KOI8-R's в, which is
// read first. Not Ukrainian's and Belarusian's і, their "and" (gssapi, sspi
// і cert): Polish text sets Windows' і, its ł, alone as well.
constexpr std::string_view onceAmongLatin[codTableColumns] = {"\xD7", "", "", "", ""};

// Whether every byte above 0x7F of a text is one of a page's words among
// Latin, between spaces and not beside a number: a character table sets
// each sign of a Latin page after one, decimal or hexadecimal (242 162 A2
// ¢ CENT SIGN, CP866's в), and a law's paragraph sign stands before one.
bool onlyWordsAmongLatin(CodeId page, const unsigned char* text, std::size_t size) {
  const Meaning* meanings = pageReadings()[page].meanings.data();
  const auto spaceAt = [&](std::size_t i) { return i >= size || meanings[text[i]].space; };
  const auto afterNumber = [&](std::size_t i) {
    std::size_t start = i;
    while (start > 0 && !spaceAt(start - 1)) --start;
    return start < i && std::all_of(text + start, text + i, [&](unsigned char byte) {
             return meanings[byte].digit || (byte >= 'A' && byte <= 'F');
           });
  };
  const auto beforeNumber = [&](std::size_t i) {
    return i + 1 < size && meanings[text[i + 1]].digit;
  };
  bool any = false, onceSeen = false;
  for (std::size_t i = 0; i < size; ++i) {
    if (text[i] < 0x80) continue;
    const bool once =
        onceAmongLatin[page].find(static_cast<char>(text[i])) != std::string_view::npos;
    if ((once ? onceSeen
               : wordsAmongLatin[page].find(static_cast<char>(text[i])) == std::string_view::npos) ||
        !spaceAt(i + 1) || beforeNumber(i + 1) ||
        (i > 0 && (!spaceAt(i - 1) || afterNumber(i - 1))))
      return false;
    onceSeen |= once;
    any = true;
  }
  return any;
}

// The page whose reading of a text sets each of its bytes above 0x7F as
// one of that page's words among Latin: the likeliest reading's own, or
// the first other in order, as ISO 8859-5 reads the Belarusian з of KOI8-R
// as a Russian к; codAfterLast where none does.
CodeId pageOfWordsAmongLatin(CodeId likeliest, const unsigned char* text, std::size_t size) {
  if (onlyWordsAmongLatin(likeliest, text, size)) return likeliest;
  for (const CodeId page : preference)
    if (page != codUtf && page != likeliest && onlyWordsAmongLatin(page, text, size)) return page;
  return codAfterLast;
}

// Whether a run of bytes reads (meanings, a page's) as one word in the
// case Russian sets its words in: small, small after a capital, or capitals.
bool readsAsCasedWord(const Meaning* meanings, const unsigned char* run, std::size_t size) {
  const bool firstCapital = meanings[run[0]].capital;
  for (std::size_t i = 0; i < size; ++i) {
    const Meaning& letter = meanings[run[i]];
    if (letter.symbol == 0 || (letter.capital && !firstCapital) ||
        (i >= 2 && letter.capital != meanings[run[i - 1]].capital))
      return false;
  }
  return true;
}

// Whether every run of bytes above 0x7F has an even length, as the
// two-byte characters of Chinese and Japanese pages make them, and there
// are at least two runs or a run of four: a Russian text's words are odd
// about as often as even. Runs that read (meanings, the likeliest page's)
// as words, as wordsNotPairsLetters says, are not pairs.
bool inPairs(const Meaning* meanings, const unsigned char* text, std::size_t size) {
  std::size_t run = 0, runs = 0, longest = 0, wordLetters = 0;
  bool allWords = true;
  for (std::size_t i = 0; i <= size; ++i) {
    if (i < size && text[i] >= 0x80) {
      ++run;
      continue;
    }
    if (run % 2 != 0) return false;
    if (run != 0) {
      allWords = allWords && readsAsCasedWord(meanings, text + i - run, run);
      if (run >= shortestPairedWord) wordLetters += run;
    }
    runs += run != 0;
    longest = std::max(longest, run);
    run = 0;
  }
  if (allWords && wordLetters >= wordsNotPairsLetters) return false;
  return runs >= 2 || longest >= 4;
}

// How a complete text starts: a snippet cut from anywhere ends anywhere,
// where a text that ends as a sentence does (., !, ?) likely starts as
// one (Я сказал..., not я сказал...), and one that ends in a line break,
// as files do, starts a line. A few words ending in a full stop are as
// likely cut from a text.
TextStart textStart(const unsigned char* text, std::size_t size, bool complete) {
  if (!complete) return TextStart::cut;
  const bool lineBreak = size > 0 && text[size - 1] == '\n';
  while (size > 0 && (text[size - 1] == ' ' || text[size - 1] == '"' || text[size - 1] == ')' ||
                      text[size - 1] == '\n' || text[size - 1] == '\r'))
    --size;
  if (size >= shortestOtherLanguage &&
      (text[size - 1] == '.' || text[size - 1] == '!' || text[size - 1] == '?'))
    return TextStart::sentence;
  return lineBreak ? TextStart::line : TextStart::cut;
}

// Letter triples of a language besides Russian, read symbol by symbol.
class TripleSpelling {
 public:
  TripleSpelling(const char* cells, int symbolCount) : cells_(cells), count_(symbolCount) {}
  /// Adds a symbol, 0 for a word boundary; false for a boundary after
  /// one, which counts nothing, as runs of boundaries are one.
  bool add(int symbol) {
    if (symbol == 0 && last_ == 0) return false;
    cost += cellCost(cells_[(before_ * count_ + last_) * count_ + symbol]);
    before_ = last_;
    last_ = symbol;
    return true;
  }
  bool atWordStart() const { return last_ == 0; }
  std::int64_t cost = 0;

 private:
  const char* cells_;
  int count_;
  int before_ = 0, last_ = 0;
};

enum class ReadingOrder { forward, backward };

// The ith byte of text read in order.
unsigned char byteInOrder(const unsigned char* text, std::size_t size, std::size_t i,
                          ReadingOrder order) {
  return text[order == ReadingOrder::forward ? i : size - 1 - i];
}

bool isRivalLetter(std::uint8_t symbol) { return symbol != 0 && (symbol & rivalMarkBit) == 0; }

// Whether a rival's mark, the ith byte of text read in order, is spelled
// as nothing. A mark inside a word follows a letter; elsewhere it is no
// word's. A direction mark between signs that no page reads as letters
// shows as nothing: it sets a placeholder's or a Latin word's way
// (\u200f%s בתים), where Windows' э and ю that it stands for sit in
// words. Out of line, as marks are rare and the spelling's loop is hot.
[[gnu::cold, gnu::noinline]] bool markShowsNothing(const RivalLanguage& rival,
                                                   const std::array<Meaning, 256>& reading,
                                                   const unsigned char* text, std::size_t size,
                                                   std::size_t i, ReadingOrder order) {
  const auto at = [&](std::size_t j) { return byteInOrder(text, size, j, order); };
  if (rival.symbols[at(i)] == rivalWordMark)
    return i > 0 && isRivalLetter(rival.symbols[at(i - 1)]);
  const auto besideNoLetter = [&](std::size_t j) {
    return j >= size || rival.symbols[at(j)] == rivalDirectionMark ||
           (!isRivalLetter(rival.symbols[at(j)]) && reading[at(j)].symbol == 0);
  };
  return (i == 0 || besideNoLetter(i - 1)) && besideNoLetter(i + 1);
}

// How unlikely a text is in a rival language's pages, as its spelling,
// against the Russian letters of a page's reading, read from its first
// byte or from its last; once that passes limit, how unlikely as much as
// was read. A byte that none of its pages sets is no text of theirs
// (Windows' ы, ь and я are no Hebrew, KOI8-R's р no Greek).
// Inlined into its one caller's loop over the rivals: called there, it
// cost a guess 1% more instructions.
[[gnu::always_inline]] inline std::int64_t rivalSpelling(
    int language, const std::array<Meaning, 256>& reading, const unsigned char* text,
    std::size_t size, std::int64_t limit, ReadingOrder order = ReadingOrder::forward) {
  const RivalLanguage& rival = rivalLanguages[language];
  TripleSpelling spelling(rival.tripleCosts, rival.symbolCount);
  const auto at = [&](std::size_t i) { return byteInOrder(text, size, i, order); };
  // A menu's mnemonic mark between two letters is inside a word (Έ_ξοδος,
  // Έξ&οδος).
  const auto mnemonicAt = [&](std::size_t i) {
    return (at(i) == '_' || at(i) == '&') && i > 0 && i + 1 < size &&
           isRivalLetter(rival.symbols[at(i - 1)]) && isRivalLetter(rival.symbols[at(i + 1)]);
  };
  bool afterCapital = false;
  for (std::size_t i = 0; i < size; ++i) {
    if (spelling.cost >= limit) break;
    const unsigned char byte = at(i);
    int symbol = rival.symbols[byte] & ~rivalCapital;
    if ((symbol & rivalMarkBit) != 0) {
      if (symbol == rivalNoCharacter) return noCostLimit;
      if (markShowsNothing(rival, reading, text, size, i, order)) continue;
      symbol = 0;
    } else if (mnemonicAt(i)) {
      continue;
    }
    if (rival.wordEndSymbols[byte] != symbol &&
        (i + 1 == size || (((rival.symbols[at(i + 1)] & ~rivalCapital) == 0 ||
                            rival.symbols[at(i + 1)] == rivalDirectionMark) &&
                           !mnemonicAt(i + 1))))
      symbol = rival.wordEndSymbols[byte];
    if (symbol == 0 && reading[byte].symbol != 0) spelling.cost += rivalUnreadLetterCost;
    const bool wordStart = spelling.atWordStart();
    if (!spelling.add(symbol) || symbol == 0) continue;
    const bool capital = (rival.symbols[byte] & rivalCapital) != 0;
    spelling.cost += rival.caseCosts[wordStart ? 0 : afterCapital ? 2 : 1][capital];
    afterCapital = capital;
  }
  return spelling.cost;
}

// How a Chinese or Japanese page sets the characters of its language's
// grid on two bytes.
enum class PairedEncoding { euc, shiftJis };
struct PairedPage {
  int language;  // of pairedLanguageCharacterCosts
  PairedEncoding encoding;
};
constexpr PairedPage pairedPages[] = {
    {0, PairedEncoding::euc}, {1, PairedEncoding::euc}, {1, PairedEncoding::shiftJis}};

constexpr int notPaired = -1, offGrid = -2;
// A character the model saw too seldom to price, its cell at the
// alphabet's floor (never, or once or twice), or one around the grid,
// costs as its two bytes unread would: Russian read as Chinese is mostly
// such characters, where a Chinese text is seldom.
constexpr std::int64_t unseenCharacterCost = 2 * rivalUnreadLetterCost;
constexpr char unseenCharacterCell = '/';
constexpr std::size_t shortestPairedText = 3;  // characters

// The grid index of the character that a page sets on lead and trail;
// offGrid for one of GBK's around the grid, notPaired for none.
int pairedCharacter(PairedEncoding encoding, unsigned lead, unsigned trail) {
  if (encoding == PairedEncoding::euc) {
    if (lead >= 0xA1 && lead <= 0xFE && trail >= 0xA1 && trail <= 0xFE)
      return static_cast<int>((lead - 0xA1) * pairedGridSide + trail - 0xA1);
    return lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F
               ? offGrid
               : notPaired;
  }
  if (!((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEF)) || trail < 0x40 ||
      trail > 0xFC || trail == 0x7F)
    return notPaired;
  // Each lead byte holds two rows, the second from trail byte 0x9F.
  const unsigned row = 2 * (lead - (lead <= 0x9F ? 0x81 : 0xC1)) + (trail >= 0x9F);
  const unsigned cell = trail >= 0x9F ? trail - 0x9F : trail - 0x40 - (trail > 0x7F);
  return static_cast<int>(row * pairedGridSide + cell);
}

// A text's spelling in a Chinese or Japanese page.
struct PairedSpelling {
  std::int64_t cost;
  // Fewer than three characters, which are no common word: their cost
  // holds fewPairedCharactersCost.
  bool fewCharacters;
};

// How unlikely a text is in a Chinese or Japanese page, as its characters;
// once that passes limit by more than a common word takes off, how
// unlikely as much as was read. Bytes below 0x80 cost nothing, as a
// rival's non-letters do. None where a Russian letter of a page's reading
// stands in no pair (a word of odd length in GBK), or where no character
// is read. Fewer than three characters cost fewPairedCharactersCost more,
// unless the two are one of the language's common words (MIME 类型, which
// Windows reads as MIME АаРН).
std::optional<PairedSpelling> pairedSpelling(const PairedPage& page,
                                           const std::array<Meaning, 256>& reading,
                                           const unsigned char* text, std::size_t size,
                                           std::int64_t limit) {
  const char* characterCosts = pairedLanguageCharacterCosts[page.language];
  const PairedWords& commonWords = pairedLanguageCommonWords[page.language];
  std::int64_t cost = 0;
  std::size_t characters = 0;
  int before = offGrid;
  bool commonWordSeen = false, beforeUnseen = false;
  // A common word takes its discount off only at its second character,
  // after the first has been paid for (LaTeX 打印, print).
  for (std::size_t i = 0; i < size && cost < limit + pairedCommonWordDiscount; ++i) {
    if (text[i] < 0x80) {
      before = offGrid;
      continue;
    }
    const int character =
        i + 1 < size ? pairedCharacter(page.encoding, text[i], text[i + 1]) : notPaired;
    if (character == notPaired) {
      if (reading[text[i]].symbol != 0) return std::nullopt;
      before = offGrid;
      continue;
    }
    const bool unseen = character == offGrid || characterCosts[character] == unseenCharacterCell;
    cost += unseen ? unseenCharacterCost : cellCost(characterCosts[character]);
    // Two characters side by side, as PairedWords sets them; not looked up
    // where the model hardly saw either, as Russian's readings mostly are.
    if (before >= 0 && character >= 0 && !(unseen && beforeUnseen) &&
        std::binary_search(commonWords.pairs, commonWords.pairs + commonWords.count,
                           static_cast<std::uint32_t>(before * pairedGridSide * pairedGridSide +
                                                      character))) {
      cost -= pairedCommonWordDiscount;
      commonWordSeen = true;
    }
    before = character;
    beforeUnseen = unseen;
    ++characters;
    ++i;
  }
  if (characters == 0) return std::nullopt;
  // Two characters are enough where they are one common word.
  if (characters < shortestPairedText && !commonWordSeen)
    return PairedSpelling{cost + fewPairedCharactersCost, true};
  return PairedSpelling{cost, false};
}

// A character's symbol in the other Cyrillic languages' models: 0, a word
// boundary, for anything but a Cyrillic letter they write.
int kinSymbol(char32_t c) { return isCyrillic(c) ? kinLanguages.symbols[c - 0x400] : 0; }

// How unlikely a page's reading of a text is, as its letters spell, in the
// one of Ukrainian, Belarusian, Bulgarian, Serbian and Macedonian that
// spells it best, or in the five taken as one. A text is in one of them,
// whose own triples know it better than the five's do (Belarusian
// вэрсыю, Bulgarian ИЗРАЗът), unless its language's catalogs are too few
// to have seen its words. Only the languages in alphabets are asked, as
// alphabetsOf gives them: Russian's bit, then the five's in turn.
std::int64_t bestKinTripleCost(const CodeChart& characters, const unsigned char* text,
                               std::size_t size, unsigned alphabets = ~0u) {
  const auto costIn = [&](const char* tripleCosts) {
    TripleSpelling spelling(tripleCosts, kinLanguages.symbolCount);
    for (std::size_t i = 0; i < size; ++i) spelling.add(kinSymbol(characters[text[i]]));
    return spelling.cost;
  };
  std::int64_t best = costIn(kinLanguages.tripleCosts);
  for (int language = 0; language < kinLanguageCount; ++language)
    if ((alphabets >> (language + 1)) & 1)
      best = std::min(best, costIn(kinLanguageTripleCosts[language]));
  return best;
}

// How unlikely a page's reading of a text is in Ukrainian, Belarusian,
// Bulgarian, Serbian or Macedonian, as its letters spell and, apart, as
// its capitals and quotation marks stand, and how many Cyrillic letters it
// reads. Its letters are spelled by the five as one, or by the one whose
// alphabet holds them all that spells them better: Ukrainian alone knows
// Mac's Європейська far better than the five know Windows' ёвропейська,
// and Serbian alone, which would spell Windows' прекорачеїе nearly as well
// as Mac's прекорачење, never writes ї.
struct KinSpelling {
  std::int64_t cost = 0;
  std::int64_t misplacedCost = 0;       // capitals and marks where none stand
  std::int64_t misplacedMarksCost = 0;  // of that, the marks'
  std::size_t capitalsAfterSmall = 0;  // inside a word
  std::size_t letters = 0;     // and a „…“ pair's marks
  // Of misplacedCost, the » that closes nothing after a letter: a cut
  // through a Russian quote leaves that as often.
  std::int64_t cutQuoteCost = 0;
};

constexpr std::uint64_t wordHashStart = 0xCBF29CE484222325, wordHashFactor = 0x100000001B3;

bool knownWordBit(std::uint64_t bit) {
  return ((knownWordFilter[bit / 64] >> (bit % 64)) & 1) != 0;
}

// Whether a page's reading holds a word of shortestKnownWord letters or
// more and no such word that knownWordFilter holds. A menu's mnemonic mark
// inside a word leaves it whole (ДА_ННЫЕ).
bool onlyUnwrittenWords(const CodeChart& characters, const unsigned char* text,
                        std::size_t size) {
  std::uint64_t hash = wordHashStart;
  std::size_t letters = 0;
  bool unwritten = false;
  for (std::size_t i = 0; i <= size; ++i) {
    const char32_t c = i < size ? characters[text[i]] : 0;
    if (isCyrillic(c)) {
      hash = (hash ^ (smallCyrillic(c) - 0x400)) * wordHashFactor;
      ++letters;
      continue;
    }
    if ((c == '_' || c == '&') && letters > 0) continue;
    if (letters >= shortestKnownWord) {
      bool known = true;
      for (int pick = 0; pick < knownWordHashes; ++pick)
        known = known &&
                knownWordBit((hash >> (knownWordHashStride * pick)) % knownWordFilterBits);
      if (known) return false;
      unwritten = true;
    }
    hash = wordHashStart;
    letters = 0;
  }
  return unwritten;
}

// Whether a rival's reading of text, in order, holds one of its common
// words of shortest letters or more. Its marks inside a word and a menu's
// mnemonic mark leave the word whole, and its last letter takes its form
// there, as in its spelling (ΤΙΤΛΟΣ is τίτλος without its accent).
bool readsCommonRivalWord(const RivalLanguage& rival, const unsigned char* text,
                          std::size_t size, ReadingOrder order,
                          std::size_t shortest = shortestCommonRivalWord) {
  std::uint64_t hash = wordHashStart;  // of the word's letters before the last
  unsigned char last = 0;
  std::size_t letters = 0;
  for (std::size_t i = 0; i <= size; ++i) {
    // Past the text, a NUL, which no page sets as a letter or a mark.
    const unsigned char byte = i < size ? byteInOrder(text, size, i, order) : 0;
    const std::uint8_t symbol = rival.symbols[byte];
    if (isRivalLetter(symbol)) {
      if (letters > 0) hash = (hash ^ (rival.symbols[last] & ~rivalCapital)) * wordHashFactor;
      last = byte;
      ++letters;
      continue;
    }
    if (symbol == rivalWordMark || byte == '_' || byte == '&') continue;
    const RivalWords& common = rival.commonWords;
    if (letters >= shortest &&
        std::binary_search(
            common.hashes, common.hashes + common.count,
            static_cast<std::uint32_t>(((hash ^ rival.wordEndSymbols[last]) * wordHashFactor) >> 32)))
      return true;
    hash = wordHashStart;
    letters = 0;
  }
  return false;
}

// Which of the Cyrillic languages' alphabets hold a letter, small or
// capital: Russian, Ukrainian, Belarusian, Bulgarian, Serbian, Macedonian
// as bits 0 to 5.
namespace Alphabet {
constexpr unsigned ru = 1, uk = 2, be = 4, bg = 8, sr = 16, mk = 32, all = 63;
}
unsigned alphabetsOf(char32_t c) {
  using namespace Alphabet;
  c = smallCyrillic(c);
  switch (c) {
    case U'и': return ru | uk | bg | sr | mk;
    case U'й': case U'ь': case U'ю': case U'я': return ru | uk | be | bg;
    case U'щ': return ru | uk | bg;
    case U'ъ': return ru | bg;
    case U'ы': case U'э': case U'ё': return ru | be;
    case U'і': return uk | be;
    case U'ї': case U'є': case U'ґ': return uk;
    case U'ў': return be;
    case U'ђ': case U'ћ': return sr;
    case U'ј': case U'љ': case U'њ': case U'џ': return sr | mk;
    case U'ѓ': case U'ѕ': case U'ќ': return mk;
    case U'ѝ': return bg;
    case U'ѐ': return bg | mk;
  }
  return c >= 0x430 && c < 0x450 ? unsigned{all} : 0u;
}
KinSpelling kinSpelling(const CodeChart& characters, const unsigned char* text,
                        std::size_t size) {
  KinSpelling result;
  unsigned alphabets = ~0u;
  bool wordStart = true;
  // A capital after a small letter, Cyrillic or Latin, is inside a word:
  // Windows reads Mac's „gettext“ as ЧgettextТ.
  bool afterSmall = false, afterLatinSmall = false;
  // A word ended in a small letter since the last stop: a Latin one too,
  // where a space follows (Windows reads Mac's %s је as %s Ае), but not a
  // tag's name (<p>Я).
  bool inSentence = false;
  // A unit after a number sets capitals after small letters (100 мкА, 5 кВт).
  bool afterNumber = false, unit = false;
  std::int64_t openQuotes = 0;
  // „ “ ‘ that opened a word, not yet closed: “ or ” closes a „, ” a “,
  // ’ a ‘.
  std::int64_t openLow = 0, openHigh = 0, openSingle = 0;
  // A „ that opens a word, which a “ may close: the pair's two marks count
  // as the letters the other page reads there (Mac reads Windows' „SIG“
  // as ДSIGУ), so that a reading is not the worse for the letters its
  // quotes stand for.
  bool lowQuoteOpen = false;
  // An option's letters end no word of a sentence: a capital after -a
  // starts what the option does (-a Додати записи).
  bool inOption = false;
  const auto cyrillicAt = [&](std::size_t at) {
    return at < size && isCyrillic(characters[text[at]]);
  };
  const auto capitalAt = [&](std::size_t at) {
    return cyrillicAt(at) && smallCyrillic(characters[text[at]]) != characters[text[at]];
  };
  for (std::size_t i = 0; i < size; ++i) {
    const char32_t c = characters[text[i]];
    const bool cyrillic = isCyrillic(c);
    const bool latinSmall = c >= U'a' && c <= U'z';
    result.letters += cyrillic;
    // Every mark below lies past ASCII and Latin-1's controls, and none is a
    // Cyrillic letter.
    if (c >= 0xA0 && !cyrillic) {
      // Only where Windows' З would start a word, at the start or after a
      // space, also past an underscore, which marks it as a menu's key
      // (_Зараз) or joins it to a word as Russian joins no quote, and not at
      // the end: there, or after a bracket (ие («лож), it opens a quote that
      // a cut may close beyond. Nor before a capital, a placeholder or a
      // space, as Russian quotes a name (см. «Управление), a value («%s) or,
      // in aptitude's manual, a command (« удалит); but before a sign, as
      // Mac reads Windows' Зі, Ukrainian's "with", as «≥, and before the
      // underscore (З_берегти).
      const bool opens = c == U'«' && (i == 0 || text[i - 1] == ' ' || text[i - 1] == '_') &&
                         i + 1 < size && (text[i + 1] >= 0x80 || text[i + 1] == '_') &&
                         !capitalAt(i + 1);
      const bool asWord = (i == 0 || text[i - 1] == ' ') && i + 1 < size && text[i + 1] == ' ';
      const bool beforeWord =
          asWord && i + 2 < size && (isAsciiLetter(text[i + 2]) || cyrillicAt(i + 2));
      if ((c == U'≥' || c == U'≤') && asWord && (i > 0 || beforeWord))
        result.misplacedMarksCost += kinSignAsWordCost;
      if ((c == U'§' || c == U'™' || (c == U'№' && i > 0)) && beforeWord)
        result.misplacedMarksCost += kinSignAsWordCost;
      // An ellipsis glued to the small letters after it, inside a line:
      // Windows reads Mac's Е starting a word so (з початку …похи).
      if (c == U'…' && i > 0 && text[i - 1] == ' ' && cyrillicAt(i + 1) && !capitalAt(i + 1))
        result.misplacedMarksCost += kinOddCapitalCost;
      const bool closesNothing = c == U'»' && openQuotes == 0 && i > 0 && cyrillicAt(i - 1);
      const bool beforeLetter = c == U'»' && cyrillicAt(i + 1);
      if (closesNothing || beforeLetter) result.misplacedMarksCost += kinUnclosedQuoteCost;
      if (closesNothing && !beforeLetter) result.cutQuoteCost += kinUnclosedQuoteCost;
      openQuotes += opens ? 1 : c == U'»' && openQuotes > 0 ? -1 : 0;
      const bool startsQuote = (i == 0 || text[i - 1] == ' ' || text[i - 1] == '(') &&
                               i + 1 < size && text[i + 1] != ' ';
      const bool opensWord = startsQuote && !capitalAt(i + 1);
      if (c == U'„' && opensWord)
        ++openLow;
      else if (c == U'“' && openLow > 0)
        --openLow;
      else if (c == U'“' && opensWord)
        ++openHigh;
      else if (c == U'”' && openHigh > 0)
        --openHigh;
      else if (c == U'”' && openLow > 0)
        --openLow;
      else if (c == U'‘' && opensWord)
        ++openSingle;
      else if (c == U'’' && openSingle > 0)
        --openSingle;
      if (c == U'„') lowQuoteOpen = startsQuote;
      if (c == U'“' && lowQuoteOpen && text[i - 1] != ' ' &&
          (i + 1 == size || !(isAsciiLetter(text[i + 1]) || cyrillicAt(i + 1)))) {
        result.letters += 2;
        lowQuoteOpen = false;
      }
      // Beside a letter, as much as a capital inside a word (Mac's
      // перемикає, Windows' перемика№; Mac's Іран, Windows' §ран).
      if (signsNeverBesideLetters.find(c) != std::u32string_view::npos &&
          ((i > 0 && cyrillicAt(i - 1)) || cyrillicAt(i + 1)))
        result.misplacedMarksCost += kinCapitalInWordCost;
    }
    if (cyrillic) {
      alphabets &= alphabetsOf(c);
      if (kinSymbol(c) == 0) result.misplacedCost += kinUnspelledLetterCost;
      const bool capital = smallCyrillic(c) != c;
      if (wordStart) unit = afterNumber;
      afterNumber = false;
      if (capital && (afterSmall || afterLatinSmall))
        result.misplacedCost += unit ? kinOddCapitalCost : kinCapitalInWordCost;
      else if (capital && wordStart && inSentence && !capitalAt(i + 1))
        result.misplacedCost += kinOddCapitalCost;
      // Nor does a word start with А before е, where it may start one: that
      // is Windows' reading of Mac's је, Serbian's and Macedonian's "is"
      // (%s: Ае окончан).
      else if (c == U'А' && wordStart && i + 1 < size && characters[text[i + 1]] == U'е')
        result.misplacedCost += kinOddCapitalCost;
      result.capitalsAfterSmall += capital && (afterSmall || afterLatinSmall);
      afterSmall = !capital;
    } else {
      afterNumber = (c >= U'0' && c <= U'9') || (afterNumber && (c == U' ' || c == 0xA0));
      // A Latin word in capitals too, a keyword before what is said of it
      // (GIVING је неисправно, which Windows reads as GIVING Ае).
      const bool latinWordEnd =
          (latinSmall || (c >= U'A' && c <= U'Z' && i > 0 && isAsciiLetter(text[i - 1]))) &&
          !inOption && i + 1 < size && text[i + 1] == ' ';
      inSentence = (inSentence || afterSmall || latinWordEnd) &&
                   std::u32string_view(U".!?:\n\"(«„").find(c) == std::u32string_view::npos;
      afterSmall = false;
    }
    afterLatinSmall = latinSmall;
    inOption = (c == U'-' && (i == 0 || text[i - 1] == ' ')) ||
               (inOption && (latinSmall || c == U'-'));
    wordStart = kinSymbol(c) == 0;
  }
  result.cost = bestKinTripleCost(characters, text, size, alphabets);
  result.misplacedMarksCost +=
      kinUnclosedQuoteCost * (openQuotes + openLow + openHigh + openSingle);
  result.misplacedCost += result.misplacedMarksCost;
  return result;
}

// How many of a text's bytes, counted in counts, a page reads as marks
// that kinSpelling may find misplaced: its quotes, its ellipsis and the
// signs that never touch a letter. No one of them costs more than an
// unclosed quote, which alone is short of kinMisplacedReadingsMargin.
std::size_t kinMarksRead(const CodeChart& characters, const ByteCounts& counts) {
  constexpr std::u32string_view quotesAndEllipsis = U"«»„“”‘’…";
  static_assert(kinUnclosedQuoteCost >= kinSignAsWordCost &&
                kinUnclosedQuoteCost >= kinCapitalInWordCost &&
                kinUnclosedQuoteCost < kinMisplacedReadingsMargin);
  std::size_t total = 0;
  for (const unsigned char byte : counts.upper()) {
    const char32_t c = characters[byte];
    if (quotesAndEllipsis.find(c) != std::u32string_view::npos ||
        signsNeverBesideLetters.find(c) != std::u32string_view::npos)
      total += counts.of[byte];
  }
  return total;
}

// What Russian charges a page's reading of a text for those of its
// letters that are among these.
std::int64_t lettersCost(CodeId page, const ByteCounts& counts,
                         std::u32string_view letters) {
  const PageReading& reading = pageReadings()[page];
  std::int64_t total = 0;
  for (const unsigned char byte : counts.upper())
    if (letters.find(reading.characters[byte]) != letters.npos)
      total += static_cast<std::int64_t>(counts.of[byte]) * reading.meanings[byte].cost;
  return total;
}

// The readings in the order to score them, likeliest first: UTF-8 where
// the first byte above 0x7F starts a sequence of its own, else last; the
// 8-bit pages by what their readings of the bytes above 0x7F cost, each
// byte alone, in a prefix that tells them apart as well as the whole (a
// text no longer than that is read from its counts).
std::array<CodeId, codAfterLast> likeliestFirst(const unsigned char* text, std::size_t size,
                                                const ByteCounts& counts) {
  constexpr std::size_t likelyPrefix = 4096;
  static const auto byteCosts = [] {
    constexpr int wordInSentence = 3;  // a capital context of the scorer's
    std::array<std::array<std::uint16_t, codTableColumns>, 128> costs;
    for (int page = 0; page < codTableColumns; ++page)
      for (int byte = 0x80; byte < 256; ++byte) {
        const Meaning& meaning = pageReadings()[page].meanings[byte];
        costs[byte - 0x80][page] = static_cast<std::uint16_t>(
            meaning.cost +
            (meaning.symbol == 0 ? 0
                                 : tripleCost(guessTextStart, guessTextStart, meaning.symbol) +
                                       capitalCosts[wordInSentence][meaning.capital]));
      }
    return costs;
  }();
  std::array<std::uint32_t, codTableColumns> likely{};
  if (size <= likelyPrefix) {
    for (const unsigned char byte : counts.upper())
      for (int page = 0; page < codTableColumns; ++page)
        likely[page] += static_cast<std::uint32_t>(counts.of[byte]) * byteCosts[byte - 0x80][page];
  } else {
    for (std::size_t i = 0; i < likelyPrefix; ++i)
      if (text[i] >= 0x80)
        for (int page = 0; page < codTableColumns; ++page)
          likely[page] += byteCosts[text[i] - 0x80][page];
  }
  std::array<CodeId, codAfterLast> order{codKoi, codWin, codDos, codMac, codIso, codUtf};
  std::sort(order.begin(), order.begin() + codTableColumns,
            [&](CodeId a, CodeId b) { return likely[a] < likely[b]; });
  const std::size_t firstUpper = static_cast<std::size_t>(
      std::find_if(text, text + size, [](unsigned char byte) { return byte >= 0x80; }) - text);
  const Sequence first = readSequence(text + firstUpper, size - firstUpper);
  if (first.kind == SequenceKind::complete && first.length > 1)
    std::rotate(order.begin(), order.end() - 1, order.end());
  return order;
}

// Whether two readings give the same text for the byte values the text
// holds (counts, each byte value's).
bool sameText(int a, int b, const ByteCounts& counts) {
  if (a == codUtf || b == codUtf) return a == b;
  const CodeChart& first = pageReadings()[a].characters;
  const CodeChart& second = pageReadings()[b].characters;
  for (const unsigned char byte : counts.upper())
    if (first[byte] != second[byte]) return false;
  return true;
}

// Each page's bytes' alphabets (alphabetsOf's bits); all bits for a byte
// that is no Cyrillic letter, which holds a reading to no alphabet.
const std::array<std::array<unsigned, 256>, codTableColumns>& byteAlphabets() {
  static const auto table = [] {
    std::array<std::array<unsigned, 256>, codTableColumns> all;
    for (int page = 0; page < codTableColumns; ++page)
      for (int byte = 0; byte < 256; ++byte) {
        const char32_t c = pageReadings()[page].characters[byte];
        all[page][byte] = isCyrillic(c) ? alphabetsOf(c) : ~0u;
      }
    return all;
  }();
  return table;
}

// alphabetsOf's bits that hold every Cyrillic letter of an 8-bit page's
// reading of the byte values the text holds (counts, each byte value's).
unsigned readingAlphabets(int page, const ByteCounts& counts) {
  const std::array<unsigned, 256>& alphabets = byteAlphabets()[page];
  unsigned reading = ~0u;
  for (const unsigned char byte : counts.upper()) reading &= alphabets[byte];
  return reading;
}

// Whether alphabets (alphabetsOf's bits) are some of the other Cyrillic
// languages' and not Russian's: a letter that only they write is read.
bool onlyTheirAlphabets(unsigned alphabets) {
  return (alphabets & Alphabet::all) != 0 && (alphabets & Alphabet::ru) == 0;
}

}  // namespace

const char* guessName(const PageGuess& guess) {
  switch (guess.verdict) {
    case GuessVerdict::binary:
      return "binary";
    case GuessVerdict::unknown:
      return "unknown";
    case GuessVerdict::page:
      break;
  }
  return codNameOf(guess.page);
}

bool isAscii(const unsigned char* text, std::size_t size) {
  unsigned char bits = 0;
  for (std::size_t i = 0; i < size; ++i) bits |= text[i];
  return bits < 0x80;
}

std::size_t asciiStartToPassOn(const unsigned char* text, std::size_t size) {
  if (size < 2 || !isAscii(text, size)) return 0;
  std::size_t lastLineStart = size - 1;
  while (lastLineStart > 0 && text[lastLineStart - 1] != '\n') --lastLineStart;
  return lastLineStart > 0 ? lastLineStart : size - 1;
}

PageGuess guessPage(const unsigned char* text, std::size_t size, bool complete) {
  const ByteCounts counts = countBytes(text, size);
  std::size_t controls = 0, upper = 0;
  for (int byte = 0; byte < 0x20; ++byte)
    controls += isForeignControl(byte) ? counts.of[byte] : 0;
  controls += counts.of[0x7F];
  // A DOS file ends in one Ctrl-Z; a program's bytes may hold it often.
  controls += counts.of[0x1A] - std::min<std::size_t>(counts.of[0x1A], 1);
  for (const unsigned char byte : counts.upper()) upper += counts.of[byte];
  // As grep and git judge: a NUL byte makes binary data; so do control
  // bytes at a rate that only data reaches.
  if (counts.of[0] > 0) return {codUtf, true, GuessVerdict::binary};
  if (controls >= minBinaryControls && controls * binaryControlShare > size)
    return {codUtf, controls >= conclusiveBinaryControls, GuessVerdict::binary};
  if (upper == 0) return {codUtf, false};

  const TextStart start = textStart(text, size, complete);
  std::size_t smallLatin = 0, capitalLatin = 0;
  for (int byte = 'a'; byte <= 'z'; ++byte) {
    smallLatin += counts.of[byte];
    capitalLatin += counts.of[byte - 0x20];
  }
  const bool typedInPossible = smallLatin >= 2 && upperBesideLatin(text, size);
  // A reading's cost only grows as it reads on, and below only readings
  // within conclusiveMargin of the best are told apart: scored likeliest
  // first, each other reading stops where it passes the best so far by
  // that much, its cost then counting as far enough. The likeliest, when
  // an 8-bit page's, keeps its traits: it is mostly the best, whose traits
  // are asked for below.
  std::array<std::int64_t, codAfterLast> costs;
  Utf8Reading utf8{};
  std::int64_t cheapest = noCostLimit;
  CodeId tracedPage = codUtf;
  ReadingTraits tracedTraits;
  for (const CodeId page : likeliestFirst(text, size, counts)) {
    const std::int64_t limit = cheapest + conclusiveMargin - pagePriorCost[page];
    if (page == codUtf) {
      utf8 = scoreUtf8(text, size, complete, limit);
      costs[page] = utf8.cost;
    } else if (cheapest == noCostLimit) {
      const auto scorer =
          scorePage<true>(pageReadings()[page].meanings, text, size, start, typedInPossible);
      costs[page] = totalCost(scorer);
      tracedPage = page;
      tracedTraits = scorer.traits;
    } else {
      costs[page] = totalCost(
          scorePage<false>(pageReadings()[page].meanings, text, size, start, typedInPossible,
                           limit));
    }
    costs[page] += pagePriorCost[page];
    cheapest = std::min(cheapest, costs[page]);
  }

  // The model, trained on prose, prices the units Russian abbreviates after
  // numbers as rare words, so that another page's reading of them spelled
  // better: Windows reads ISO 8859-5's 10 шт as 10 ив, and KOI8-R reads
  // Windows' 100 мл as 100 ЛК.
  // Counted once: judging a reading another language's takes them off too.
  const std::array<std::int64_t, codAfterLast> unitDiscounts =
      unitDiscountsByPage(counts, text, size);
  for (const CodeId page : preference) costs[page] -= unitDiscounts[page];
  const auto traitsOf = [&](CodeId page) {
    return page == tracedPage
               ? tracedTraits
               : scorePage<true>(pageReadings()[page].meanings, text, size, start,
                                 typedInPossible)
                     .traits;
  };
  CodeId best = codUtf;
  for (const CodeId page : preference)
    if (costs[page] < costs[best]) best = page;
  if (best == codWin || best == codMac) {
    const CodeId other = best == codWin ? codMac : codWin;
    const std::int64_t apart = costs[other] - costs[best];
    if (apart <= oneAlphabetMargin && !sameText(best, other, counts)) {
      // A reading with fewer letters may still keep to one alphabet where
      // the other does not (Mac reads Windows' „ as Д).
      const bool bestInOneAlphabet = readingAlphabets(best, counts) != 0;
      const bool otherInOneAlphabet = readingAlphabets(other, counts) != 0;
      if (!bestInOneAlphabet && otherInOneAlphabet) {
        best = other;
      } else if (otherInOneAlphabet || !bestInOneAlphabet) {
        // Nor may their spelling choose a reading that mixes alphabets:
        // Mac reads Windows' мкА as мкј beside ы.
        const KinSpelling theirs = kinSpelling(pageReadings()[other].characters, text, size);
        const bool near = apart <= capitalInWordReadingsMargin;
        // Further apart only where they spell the other reading far better
        // than Russian spells this one: a text in their language, each of
        // whose letters that Russian lacks costs a foreign letter (Serbian
        // ће, which Windows reads as a capital starting a word, Ле).
        const bool theirText =
            !near && traitsOf(best).spelling - theirs.cost >= kinTextMargin;
        const CodeChart& characters = pageReadings()[best].characters;
        // Marks cost at most kinUnclosedQuoteCost each: read them only
        // where there are two to misplace.
        const KinSpelling mine = near || theirText || kinMarksRead(characters, counts) >= 2
                                     ? kinSpelling(characters, text, size)
                                     : KinSpelling{};
        const bool misplacedMarks =
            mine.misplacedMarksCost - theirs.misplacedMarksCost >= kinMisplacedReadingsMargin;
        if (near || theirText || misplacedMarks) {
          const std::int64_t misplacedApart = mine.misplacedCost - theirs.misplacedCost;
          // A reading that turns letters into marks (Mac's ”“‘ for Windows'
          // УТФ) has fewer letters to spell, not better spelling.
          const std::int64_t theirExtraLetters = static_cast<std::int64_t>(theirs.letters) -
                                                 static_cast<std::int64_t>(mine.letters);
          const std::int64_t spelledApart =
              mine.cost - theirs.cost + kinLetterAllowance * theirExtraLetters;
          // A text as long as a line needs one thing misplaced: Mac reads
          // Windows' Зупинено as «упинено, which Russian prefers by 9 bits.
          // A » closing nothing counts only where their spelling does not
          // prefer its reading: a cut through a Russian quote leaves one as
          // often (безопасности»), the other page's ї seldom (попередньо»).
          const std::int64_t cutQuoteApart =
              spelledApart < 0 ? mine.cutQuoteCost - theirs.cutQuoteCost : 0;
          // A shorter text too (Зупинено alone), unless their spelling
          // prefers its reading: a snippet cut inside a Russian quote
          // opens one that it does not close (Mac's «всех до, «указате).
          const bool lineMisplaced = (size >= shortestOtherLanguage ||
                                      spelledApart >= -kinShortTextSpellingMargin) &&
                                     misplacedApart - cutQuoteApart >= kinUnclosedQuoteCost;
          const bool close = apart <= closeReadingsMargin ||
                             mine.capitalsAfterSmall > theirs.capitalsAfterSmall ||
                             misplacedApart >= kinMisplacedReadingsMargin || theirText ||
                             lineMisplaced;
          // Unless the one with more sets capitals where none stand: Mac
          // reads Windows' „%s“ as Д%sУ, Windows reads Mac's „vms“ as ЧvmsТ.
          if (close &&
              (theirs.letters >= mine.letters || misplacedApart >= kinFewerLettersMargin) &&
              spelledApart + misplacedApart >= kinPreferenceMargin)
            best = other;
        }
      }
    }
  }
  // A reading of marks alone (". -- ‘. " for ". -- Ф. ") gives way to
  // the likeliest of those nearly as likely that hold a Russian letter
  // (CP866 reads KOI8-R's 28 мм as 28 ══, Windows as 28 НН), before those
  // languages choose: CP866 reads Windows' %s і %s. as %s │ %s.
  ReadingTraits reading{};
  if (best != codUtf) {
    reading = traitsOf(best);
    if (reading.letters + reading.typedIn == 0) {
      const CodeId marksAlone = best;
      for (const CodeId page : preference) {
        if (page == codUtf || page == marksAlone ||
            costs[page] - costs[marksAlone] > lettersOverMarksMargin ||
            (best != marksAlone && costs[page] >= costs[best]))
          continue;
        const ReadingTraits other = traitsOf(page);
        if (other.letters != 0) {
          best = page;
          reading = other;
        }
      }
    }
  }
  const CodeId kinChecked = best;
  // Those languages choose between such readings only for their letters
  // in a word of three and of one alphabet: Polish's ł is Windows' і, and
  // its words set it beside Latin letters that look like Russian ones
  // (współczesny reads wspуіczesny); Windows reads Chinese in GBK as
  // Belarusian's ў beside Ukrainian's Є (选项 as СЎПо, 需要 as РиТЄ).
  // Their і, "and", alone between conversions is a word of theirs too:
  // KOI8-R reads ISO 8859-5's %s і %s. as %s Ж %s.
  for (const auto [likelier, kin, loneAndsOnly] : russianOverKinReadings) {
    if (best != likelier || costs[kin] - costs[likelier] > russianOverKinReadingMargin ||
        lettersCost(kin, counts, ukrainianAndBelarusianLetters) <= 0 ||
        readingAlphabets(kin, counts) == 0 ||
        ((loneAndsOnly || traitsOf(kin).longestRun < 3) &&
         !onlyLoneAnds(pageReadings()[kin], text, size)))
      continue;
    const KinSpelling mine = kinSpelling(pageReadings()[likelier].characters, text, size);
    const KinSpelling theirs = kinSpelling(pageReadings()[kin].characters, text, size);
    if (mine.cost + mine.misplacedCost - theirs.cost - theirs.misplacedCost >=
        kinOverRussianMargin) {
      best = kin;
      break;
    }
  }
  // How much worse the best reading spells than Russian does: above 0 it
  // is some other language's text.
  std::int64_t otherLanguage = 0;
  if (best != codUtf) {
    if (best != kinChecked) reading = traitsOf(best);
    const std::size_t latinLetters = smallLatin + capitalLatin;
    // A text of one line holds its bytes above 0x7F on it.
    const bool oneLine =
        counts.of['\n'] == 0 || (counts.of['\n'] == 1 && text[size - 1] == '\n');
    const std::size_t latinBeside = oneLine ? latinLetters : latinLettersBesideUpper(text, size);
    const bool upperInsideLatin = latinBeside >= 2 && upperInsideLatinWord(text, size);
    struct OtherLanguage {
      std::int64_t cost;  // above 0: some other language's text
      bool paired;        // the bytes come as Chinese and Japanese pages set them
      std::size_t signsInsideLatin;  // signs between two Latin letters
    };
    const auto otherLanguageOf = [&](CodeId page, const ReadingTraits& traits) {
      const PageReading& pageReading = pageReadings()[page];
      const bool paired = inPairs(pageReading.meanings.data(), text, size);
      const std::size_t signsInsideLatin =
          upperInsideLatin ? signsInsideLatinWords(pageReading, text, size) : 0;
      const std::int64_t perLetter = traits.mostlyCapitals() ? otherLanguageCapitalCost
                                     : paired       ? pairedLetterCost
                                                    : otherLanguageLetterCost;
      // A word or two among more Latin letters has less room to spell
      // unlike Russian for being cut: among twice as many on their lines,
      // or among as many where the bytes come in pairs, as a Chinese or
      // Japanese word among English. A quoted name under a mail's English
      // header line (> Гвимли) stands among none.
      const bool amongLatin = 2 * traits.letters <= latinBeside ||
                              (paired && traits.letters <= latinBeside);
      const std::int64_t slack = amongLatin ? otherLanguageSlack / 2 : otherLanguageSlack;
      // Russian tables keep their lines apart from their words, and its
      // text its rare signs; CJK pages read in KOI8-R glue box drawing to
      // letters (光盘 reads ╧Бел).
      std::int64_t cost =
          traits.spelling + mixedScriptCost * static_cast<std::int64_t>(traits.mixed) +
          gluedCost * static_cast<std::int64_t>(traits.oddJoins) +
          (size < shortestOtherLanguage
               ? mixedScriptCost * static_cast<std::int64_t>(traits.lookalikeContacts)
               : 0) +
          capitalAfterSmallCost * static_cast<std::int64_t>(traits.capitalsAfterSmall) +
          mixedScriptCost * static_cast<std::int64_t>(signsInsideLatin) -
          perLetter * static_cast<std::int64_t>(traits.letters) - slack;
      if (cost > 0) cost -= unitDiscounts[page];
      if (cost > 0)
        cost -= commonWordDiscount *
                static_cast<std::int64_t>(commonWordsBetweenSpaces(pageReading, text, size) +
                                          knownAbbreviations(pageReading, text, size) +
                                          etceteras(pageReading, text, size));
      if (cost > 0 && traits.mixed > 0)
        cost -= mixedScriptCost *
                static_cast<std::int64_t>(lettersAfterConversions(pageReading, text, size));
      // A letter typed into a word that then spells English is no foreign
      // accent, and mixes no scripts: Ещё... Format comрlete.
      if (cost > 0)
        cost -= mixedScriptCost * static_cast<std::int64_t>(traits.typedInEnglish);
      if (cost > 0)
        cost -= placeholderCapitalDiscount *
                static_cast<std::int64_t>(placeholderCapitals(pageReading, text, size));
      return OtherLanguage{cost, paired, signsInsideLatin};
    };
    // Ukrainian, Belarusian, Bulgarian, Serbian and Macedonian spell unlike
    // Russian; a reading they spell well enough is Cyrillic all the same.
    const auto spellsAsKin = [&](CodeId page, const ReadingTraits& traits, std::int64_t other) {
      return other - traits.spelling +
                 bestKinTripleCost(pageReadings()[page].characters, text, size) <=
             -(traits.mostlyCapitals() ? kinCapitalsMargin : kinLanguageMargin);
    };
    OtherLanguage judged = otherLanguageOf(best, reading);
    const bool longEnough = size >= shortestOtherLanguage;
    const bool wholeLineLongEnough =
        longEnough || (start == TextStart::line && size >= shortestWholeLineOtherLanguage);
    // Russian prices their own letters as foreign (Belarusian і), so that
    // another page's reading, spelled as no language, may cost less: where
    // the likeliest reading is no Cyrillic language's, a nearly as likely
    // one that those languages spell well is theirs.
    // No Cyrillic language's text, asked once of the reading kept. A text
    // too short to be called so may still be theirs in a page that reads
    // it nearly as likely, if that reading holds a letter Russian lacks or
    // as many letters: KOI8-R reads Windows' Ukrainian вірменська as
    // БЁПЛЕМЯЭЙЮ, and Bulgarian's търсене в път as РЗПЯЕМЕ Б ОЗР; ISO
    // 8859-5's EurKEY (США), which Windows reads as EurKEY (БИ°), stays.
    bool noCyrillicText = judged.cost > 0 && !spellsAsKin(best, reading, judged.cost);
    if (noCyrillicText) {
      const CodeId likeliest = best;
      // The likeliest of them, not the first in order: their spelling
      // would take Windows' §клґн as well as Mac's Ukrainian Іклін.
      std::array<CodeId, codAfterLast> likeliestNext;
      std::copy(std::begin(preference), std::end(preference), likeliestNext.begin());
      std::stable_sort(likeliestNext.begin(), likeliestNext.end(),
                       [&](CodeId a, CodeId b) { return costs[a] < costs[b]; });
      const std::int64_t likeliestLettersCost = lettersCost(likeliest, counts, lettersRussianLacks);
      for (const CodeId page : likeliestNext) {
        if (page == codUtf || page == likeliest) continue;
        const std::int64_t beyondMargin = costs[page] - costs[likeliest] - kinReadingMargin;
        if (beyondMargin > 0 &&
            2 * beyondMargin >
                lettersCost(page, counts, ukrainianAndBelarusianLetters) - likeliestLettersCost)
          continue;
        const ReadingTraits traits = traitsOf(page);
        // Their letters pay their way only in a word of three: Windows reads
        // EUC-JP's … among English as ЎД.
        if (beyondMargin > 0 && traits.longestRun < 3) continue;
        const OtherLanguage other = otherLanguageOf(page, traits);
        if (traits.letters != 0 &&
            (longEnough || traits.letters >= reading.letters ||
             onlyTheirAlphabets(readingAlphabets(page, counts))) &&
            spellsAsKin(page, traits, other.cost)) {
          best = page;
          reading = traits;
          judged = other;
          noCyrillicText = false;
          break;
        }
      }
    }
    const PageReading& bestReading = pageReadings()[best];
    const Meaning* meanings = bestReading.meanings.data();
    // A whole short line's spelling judges it only where a Russian letter
    // or a sign touches a Latin one, as a Latin page's accents read so do
    // (KOI8-R reads Öffentlich as жffentlich, ISO 8859-5 reads Błąd as
    // BГЙd and Süzgeç as S№zgeч), and Russian seldom does but after a
    // conversion (%02uхв), and where no word of three Russian letters
    // stands, which no accents make: a placeholder glued to its section's
    // name (.relИМЯ).
    if (noCyrillicText && !longEnough)
      noCyrillicText = wholeLineLongEnough &&
                       (reading.longestRun < 3 ||
                        longestStandingRun(meanings, text, size, true) < 3 ||
                        (judged.cost >= gluedWordOtherLanguageCost &&
                         longestStandingRun(meanings, text, size, false) <= longestShortWord)) &&
                       reading.mixed + reading.lookalikeContacts + reading.gluedEndings +
                               judged.signsInsideLatin >
                           lettersAfterConversions(bestReading, text, size);
    otherLanguage = judged.cost;
    const bool paired = judged.paired;
    // Text that no page reads as Russian is some other language's; if its
    // bytes are well-formed UTF-8, that is what it is in (a ¼ or a ţ reads
    // as two capitals in ISO 8859-5, which spell no Russian either).
    const auto otherLanguageText = [&](bool conclusive) {
      return utf8.wellFormed ? PageGuess{codUtf, conclusive}
                             : PageGuess{best, conclusive, GuessVerdict::unknown};
    };
    // A snippet too short to judge may hold no letter but one typed into an
    // English word.
    if (reading.letters == 0 && (reading.typedIn == 0 || longEnough)) {
      // Windows reads CP866's Belarusian з as §: CD-ROM § Ubuntu.
      const CodeId wordsPage = longEnough ? pageOfWordsAmongLatin(best, text, size) : codAfterLast;
      if (wordsPage != codAfterLast) return {wordsPage, false};
      return otherLanguageText(upper >= minConclusiveUpper);
    }
    // A word of three Russian letters is no accented letter of a Latin
    // text's: Russian among code and commands keeps its page. Below, only
    // readings without one are called Latin text for the letters beside
    // theirs.
    const bool noWord = reading.longestRun < 3;
    const bool fewAmongLatin =
        noWord && reading.letters * latinShareOfOtherLanguage < reading.letters + latinBeside;
    // A lone letter at the text's edge may be what a cut left of a word,
    // but not one glued to a Latin word, a menu's mnemonic mark (GTK's _,
    // Qt's &) between them or not: that is the word's accented first letter
    // (KOI8-R reads Écrit as иcrit, Ö_ffnen as ж_ffnen, Ö&nceki as ж&nceki).
    const auto russianLetter = [&](unsigned char byte) {
      return meanings[byte].symbol != 0;
    };
    const std::size_t afterFirst = size > 2 && (text[1] == '_' || text[1] == '&') ? 2 : 1;
    const bool accentedFirstLetter = size > afterFirst && latinInWord(meanings[text[afterFirst]]);
    // French sets À alone at a line's start (À propos, every menu's About),
    // and Italian È (È vuoto, is empty), which Windows reads as the capitals
    // А and И: no Russian line starts with those conjunctions before nothing
    // but Latin words, where it starts with prepositions (О Firefox).
    const auto conjunction = [](char32_t c) { return c == U'А' || c == U'И'; };
    const bool latinCapitalWord = start != TextStart::cut && size > 1 && text[1] == ' ' &&
                                  conjunction(bestReading.characters[text[0]]);
    const bool ordinal =
        reading.letters == 1 && ordinalEnding(meanings, bestReading.characters, text, size);
    // KOI8-R's в may stand once among Latin as a word (below), but not as
    // a size's ×.
    const bool timesSign = reading.letters == 1 && timesBetweenNumbers(meanings, text, size);
    const bool capitalAmongConversions =
        reading.letters == 1 && capitalBetweenConversions(meanings, text, size);
    const bool loneLetterAmongLatin =
        reading.letters == 1 && !ordinal &&
        (((!russianLetter(text[0]) || accentedFirstLetter || latinCapitalWord) &&
          !russianLetter(text[size - 1]) &&
          (latinBeside >= latinLettersAroundLoneLetter ||
           spacedGuillemets(bestReading, text, size))) ||
         timesSign || capitalAmongConversions);
    const bool pairAmongLatin =
        reading.letters == 2 && reading.longestRun == 2 &&
        latinBeside >= latinLettersAroundLoneLetter &&
        oddPairAmongLatin(meanings, text, size);
    const bool rareAmongLatin = reading.longestRun < shortestWordAmongLatin &&
                                reading.letters * latinShareOfText < reading.letters + latinLetters;
    // Russian letters of which no two touch spell no word, but for "and
    // so on": another language's characters, each read as a letter among
    // marks.
    const bool noTwoLettersTouch = reading.longestRun == 1 && reading.letters >= 2;
    const bool etcetera = (noTwoLettersTouch || fewAmongLatin || rareAmongLatin) &&
                          etceteras(bestReading, text, size) > 0;
    const bool lettersApart = noTwoLettersTouch && !etcetera;
    // Nor do letters that such signs outnumber: Mac reads Chinese and
    // Japanese words in their pages as ƒЏ≤њінќу£Ї±к«©ќ.
    const bool marksOverLetters = reading.marks >= reading.letters;
    // A whole line shorter than a snippet must be (the only short text
    // judged here) asks more of a rival. Those margins keep Cyrillic words
    // that a rival happens to spell well; a reading whose letters no one
    // Cyrillic alphabet holds is none (ISO 8859-5 reads Greek's Γεωργία as
    // Ухљёупс, ё beside љ).
    const auto rivalSpellsBetter = [&] {
      const bool capitalized = reading.capitals > 0 && 2 * reading.capitals < reading.letters;
      // Not a word glued to box drawing or a sign Russian seldom sets, as
      // no Russian word stands (KOI8-R reads Greek's Ήχος WebM as ╣ВПР WebM).
      const bool shortWord =
          reading.oddJoins == 0 &&
          (reading.longestRun <= longestShortWord || (capitalized && latinBeside == 0));
      // Asked only where a margin would apply; 0 elsewhere.
      const unsigned alphabets =
          shortWord || !longEnough ? readingAlphabets(best, counts) : 0u;
      const bool oneAlphabet = alphabets != 0;
      const std::int64_t extraMargin = longEnough || !oneAlphabet ? 0
                                       : reading.mostlyCapitals() && !shortWord
                                           ? shortLineCapitalsRivalMargin
                                           : shortLineRivalMargin;
      const std::int64_t margin = shortWord && oneAlphabet ? shortWordRivalMargin : 0;
      const std::int64_t caseCost =
          rivalCapitalAfterSmallCost * static_cast<std::int64_t>(reading.capitalsAfterSmall);
      const std::int64_t oddJoinsCost = gluedCost * static_cast<std::int64_t>(reading.oddJoins);
      // A rival's letters spell every byte, where Russian's spelling skips
      // what it reads as box drawing or signs: on a short line, where a
      // word or two decide, those glued to a letter count against the reading,
      // as it does against Chinese and Japanese below (KOI8-R reads ISO
      // 8859-7's Όνομα as ╪МОЛА).
      const std::int64_t flawsCost = caseCost + (longEnough ? 0 : oddJoinsCost);
      const std::int64_t readingCost = reading.spelling + flawsCost;
      // Not for a capitalized word, as a Russian name's reading is as often
      // (Блэкпул), nor for a letter Russian does not write, as the list
      // holds fewer of the other languages' words (Serbian's јамвешки).
      const std::int64_t unwrittenDiscount =
          !longEnough && !capitalized && (alphabets & Alphabet::ru) != 0 &&
                  onlyUnwrittenWords(bestReading.characters, text, size)
              ? unwrittenWordsRivalDiscount
              : 0;
      const std::int64_t marginsBound = readingCost - margin - extraMargin + unwrittenDiscount;
      // On a short line a rival may ask less where it also spells the line
      // far better than the other Cyrillic languages do, which spell the
      // names Russian spells badly (Чефчауен): a capitalized word there is
      // a heading as often as a name (Εικόνες), Hebrew's short words (ROM
      // של NES) and transliterated names (אסטרונומיה) spell as no Cyrillic
      // language's. The rival's spelling only grows as it reads on: past
      // this it cannot be the better.
      const std::int64_t bound =
          longEnough ? marginsBound
                     : readingCost - std::min(extraMargin, shortLineFarOverKinRivalMargin) +
                           unwrittenDiscount;
      std::optional<std::int64_t> unspelled, kinSpelled;
      // How far past the other Cyrillic languages' spelling a rival may be.
      const std::int64_t overKinAllowance =
          longEnough ? kinOverRivalMargin : -shortLineOverKinMargin;
      const auto spellsBetter = [&](std::int64_t cost, std::int64_t kinAllowance,
                                    const RivalLanguage& language, ReadingOrder order) {
        // A common word of four letters or more, which a Cyrillic reading
        // seldom spells by chance, takes a little off: KOI8-R reads Greek's
        // ΣΦΑΛΜΑΤΑ, errors, as сжалмата, which Russian spells nearly as well.
        bool longCommonWord = false;
        if (cost >= bound) {
          if (cost >= bound + longCommonRivalWordDiscount ||
              !readsCommonRivalWord(language, text, size, order, shortestCommonRivalWord + 1))
            return false;
          cost -= longCommonRivalWordDiscount;
          longCommonWord = true;
        }
        // A text whose only words are placeholders, which are no
        // language's, is allowed a little for each of their capitals.
        if (!unspelled) {
          const std::size_t placeholders = placeholderCapitals(bestReading, text, size);
          unspelled = placeholders >= reading.letters
                          ? placeholderCapitalRivalDiscount * static_cast<std::int64_t>(placeholders)
                          : 0;
        }
        if (cost >= bound - *unspelled) return false;
        // Only those whose alphabet holds the reading's letters: Serbian,
        // which writes no й, spells Windows' reading of Hebrew's היראגאנה
        // (дйшагаме) nearly as well as Hebrew does. A reading whose letters
        // only Russian's alphabet holds is still asked of all of them,
        // which keep Russian's own rare words where Russian spells them
        // badly (KOI8-R's ИКОСАЭДР, which Greek reads as small letters).
        if (!kinSpelled)
          kinSpelled = bestKinTripleCost(bestReading.characters, text, size,
                                         (alphabets & ~Alphabet::ru) != 0 ? alphabets : ~0u) +
                       flawsCost;
        if (cost >= marginsBound - *unspelled)
          kinAllowance = std::min(kinAllowance, -shortLineFarOverKinMargin);
        if (cost < *kinSpelled + kinAllowance) return true;
        // The other Cyrillic languages spell some of a rival's common
        // words as well as it does (Windows reads מסמך ODT as осок ODT):
        // where it also spells the text better than Russian by the
        // margins, a common word of its own there makes it the rival's.
        return longCommonWord || readsCommonRivalWord(language, text, size, order);
      };
      // A byte that none of a rival's pages sets ends its spelling as no
      // text of theirs wherever it stands: asked of the byte values held
      // rather than read up to.
      const auto setsEveryByteHeld = [&](const RivalLanguage& language) {
        for (const unsigned char byte : counts.upper())
          if ((language.symbols[byte] & ~rivalCapital) == rivalNoCharacter) return false;
        return true;
      };
      for (int rival = 0; rival < rivalLanguageCount; ++rival) {
        const RivalLanguage& language = rivalLanguages[rival];
        if ((longEnough && language.shortLinesOnly) ||
            (language.smallLettersOnly && reading.mostlyCapitals()) ||
            !setsEveryByteHeld(language))
          continue;
        const std::int64_t prior = language.priorCost;
        if (spellsBetter(
                rivalSpelling(rival, bestReading.meanings, text, size,
                              bound + longCommonRivalWordDiscount - prior) +
                    prior,
                overKinAllowance - language.kinMargin, language, ReadingOrder::forward))
          return true;
        if (!language.storedBackwardToo) continue;
        const std::int64_t backward =
            rivalSpelling(rival, bestReading.meanings, text, size,
                          bound + longCommonRivalWordDiscount - backwardRivalMargin - prior,
                          ReadingOrder::backward) +
            backwardRivalMargin + prior;
        if (spellsBetter(backward, std::min(overKinAllowance, -backwardOverKinMargin), language,
                         ReadingOrder::backward))
          return true;
      }
      // Theirs have no need to beat the other Cyrillic languages' too,
      // which spell as Russian does next to them. Readings in capitals
      // spell Russian worst of all (ДД/ММ/РРРР), and Chinese they read
      // as common characters as often as any. Their characters spell
      // every byte, where Russian's spelling skips what it reads as box
      // drawing or signs, which it glues to no letter (CP866 reads
      // EUC-JP's シーケンス as е╖б╝е▒еєе╣). A short line's reading that no one
      // Cyrillic alphabet holds asks them no margin either (Windows reads
      // GBK's 文件 as ОДјю, Serbian's ј beside ю).
      // A short line with fewer letters than three characters make is
      // mostly a common word of two (ISO 8859-5 reads GBK's Android 窗口
      // as Android ДАПк) or a character among numbers: capitals ask no
      // more of it.
      const bool commonWordOnly = !longEnough && reading.letters < 2 * shortestPairedText;
      const std::int64_t pairedMargin =
          !longEnough && !oneAlphabet
              ? 0
              : pairedRivalMargin +
                    (reading.mostlyCapitals() && !commonWordOnly ? pairedCapitalsMargin : 0);
      const std::int64_t pairedBound =
          reading.spelling + caseCost + oddJoinsCost - unitDiscounts[best] - pairedMargin;
      for (const PairedPage& page : pairedPages) {
        const std::optional<PairedSpelling> spelling =
            pairedSpelling(page, bestReading.meanings, text, size, pairedBound);
        if (!spelling || spelling->cost >= pairedBound) continue;
        // A character or two may be a short word of the other Cyrillic
        // languages, which Russian spells badly: Bulgarian's Ъгъл, angle,
        // which GBK reads in ISO 8859-5 as two characters.
        if (!spelling->fewCharacters ||
            spelling->cost < bestKinTripleCost(bestReading.characters, text, size) + caseCost +
                                 oddJoinsCost)
          return true;
      }
      return false;
    };
    // Counting Russian words is for whole ones: a cut through a line may
    // have cut a long word short. Text of several lines, or in pairs of
    // bytes (a Chinese word at a line's end), has whole words at its edges.
    const bool edgeMayBeCut = start == TextStart::cut && !paired &&
                              std::find(text, text + size, '\n') == text + size;
    const bool fewRussianWords =
        (fewAmongLatin || rareAmongLatin) && !ordinal &&
        !(edgeMayBeCut && wordAtEdge(meanings, text, size)) &&
        commonWordsBetweenSpaces(bestReading, text, size) == 0 && !etcetera;
    // Letters that stand as words among Latin are a Latin text's accents
    // unless some page's reading sets each on a byte no Latin page sets
    // alone: then they are that page's words, the likeliest page's too,
    // which its spelling does not judge (Belarusian з is no Russian word).
    const bool lettersAsAccents = fewRussianWords || loneLetterAmongLatin || lettersApart;
    const CodeId wordsPage =
        lettersAsAccents ? pageOfWordsAmongLatin(best, text, size) : codAfterLast;
    if (wholeLineLongEnough && wordsPage != codAfterLast && !timesSign) return {wordsPage, false};
    if (noCyrillicText ||
        (wholeLineLongEnough && (lettersAsAccents || pairAmongLatin || marksOverLetters ||
                                 rivalSpellsBetter())))
      return otherLanguageText(otherLanguage >= conclusiveMargin);
  }
  // Readings that give the same text are one answer only for all of it:
  // the bytes still to come may tell them apart (a Mac text whose first
  // KiB has no capital and no я reads the same in Windows-1251).
  bool conclusive = -otherLanguage >= conclusiveMargin || best == codUtf;
  for (const CodeId page : preference)
    if (page != best && costs[page] - costs[best] < conclusiveMargin &&
        !(complete && sameText(page, best, counts)))
      conclusive = false;
  return {best, conclusive};
}
