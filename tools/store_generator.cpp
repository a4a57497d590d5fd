#include "store_generator.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include "little_endian.h"
#include "store_builder.h"

namespace dbx::gen {
namespace {

using build::Bytes;

constexpr std::uint32_t kRecordSegmentSize = 0xC000;
constexpr std::uint32_t kBlocksPerSegment = 120;
constexpr std::uint32_t kBlockSegmentSize = kBlocksPerSegment * build::kBlockSize;
constexpr std::uint32_t kTreeNodeSize = 0x27C;
constexpr std::uint32_t kNodesPerTreeSegment = 25;
constexpr std::uint32_t kTreeSegmentSize = kTreeNodeSize * kNodesPerTreeSegment;
constexpr std::uint32_t kTreeNodeEntries = 0x33;
constexpr std::uint32_t kMaxDamageGap = 0x6000;
// What one message takes on average (body blocks, record, slack); only used to turn a
// deleted count into a share when the store is filled to a size.
constexpr std::uint64_t kTypicalFootprint = 28 * 1024;
// Time sent is spread over 1999 to 2009.
constexpr std::int64_t kFirstDate = 915148800;  // 1999-01-01
constexpr std::int64_t kLastDate = 1262303999;  // 2009-12-31 23:59:59
constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::uint8_t kPropOpaque = 0x1C;

// ---------------------------------------------------------------------------------------
// Randomness: a fixed algorithm, so that a seed gives the same store everywhere.

class Rng {
  public:
    explicit Rng(std::uint64_t seed) {
        for (auto& s : state_) {
            seed += 0x9E3779B97F4A7C15u;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
            s = z ^ (z >> 31);
        }
    }

    std::uint64_t Next() {
        const std::uint64_t result = Rotl(state_[1] * 5, 7) * 9;
        const std::uint64_t t = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = Rotl(state_[3], 45);
        return result;
    }
    std::uint64_t Below(std::uint64_t n) { return n == 0 ? 0 : Next() % n; }
    std::int64_t Range(std::int64_t lo, std::int64_t hi) {
        return lo + std::int64_t(Below(std::uint64_t(hi - lo) + 1));
    }
    bool Chance(double p) { return double(Next() >> 11) * 0x1.0p-53 < p; }
    template <typename T>
    const T& Pick(const std::vector<T>& items) {
        return items[Below(items.size())];
    }
    void Fill(std::uint8_t* p, std::size_t n) {
        while (n >= 8) {
            StoreU64(p, Next());
            p += 8;
            n -= 8;
        }
        if (n) {
            std::uint64_t x = Next();
            for (std::size_t i = 0; i < n; ++i) p[i] = std::uint8_t(x >> (8 * i));
        }
    }

  private:
    static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t state_[4];
};

// ---------------------------------------------------------------------------------------
// Vocabulary. Written here in UTF-8 and turned into windows-1252 once; every character
// used lies in the Latin-1 range, where both agree.

std::string Latin1(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = std::uint8_t(utf8[i]);
        if (c < 0x80 || i + 1 == utf8.size()) {
            out += char(c);
            continue;
        }
        const auto d = std::uint8_t(utf8[++i]);
        out += char(((c & 0x1F) << 6) | (d & 0x3F));
    }
    return out;
}

std::vector<std::string> Latin1List(std::initializer_list<std::string_view> items) {
    std::vector<std::string> out;
    for (std::string_view item : items) out.push_back(Latin1(item));
    return out;
}

struct Language {
    std::vector<std::string> firstNames;
    std::vector<std::string> lastNames;
    std::vector<std::string> domains;
    std::vector<std::string> subjects;
    std::vector<std::string> words;
    std::vector<std::string> greetings;  // followed by the first name and ","
    std::vector<std::string> closings;
    std::vector<std::string> fileStems;
    std::vector<std::string> hosts;  // machine names in message ids
    int zoneMinutes = 0;
};

const std::vector<Language>& Languages() {
    static const std::vector<Language> languages = [] {
        std::vector<Language> all(4);
        Language& pt = all[0];
        pt.firstNames = Latin1List(
            {"João",      "José",   "Antônio", "Luís",    "Sérgio",   "Fábio",   "Márcio",
             "Cláudio",   "André",  "Paulo",   "Carlos",  "Rafael",   "Maria",   "Ana",
             "Conceição", "Luíza",  "Márcia",  "Cláudia", "Fernanda", "Beatriz", "Patrícia",
             "Juliana",   "Mônica", "Célia",   "Tânia",   "Vânia"});
        pt.lastNames =
            Latin1List({"Silva",     "Gonçalves", "Araújo", "Conceição", "Magalhães", "Simões",
                        "Gusmão",    "Brandão",   "Sá",     "Lemos",     "Ribeiro",   "Falcão",
                        "Guimarães", "Paixão",    "Souza",  "Oliveira",  "Pereira",   "Assunção",
                        "Damião",    "Patrício",  "Lopes",  "Camões"});
        pt.domains = {"uol.com.br",  "terra.com.br", "bol.com.br", "ig.com.br",
                      "hotmail.com", "yahoo.com.br", "globo.com",  "sapo.pt"};
        pt.subjects = Latin1List({"Reunião de amanhã",
                                  "Relatório mensal",
                                  "Orçamento 2004",
                                  "Fotos da viagem",
                                  "Parabéns!",
                                  "Confirmação do pedido",
                                  "Apresentação final",
                                  "Informações sobre o curso",
                                  "Convite para o aniversário",
                                  "Solicitação de férias",
                                  "Documentos pendentes",
                                  "Atualização do cadastro",
                                  "Lembrete: pagamento",
                                  "Cotação de preços",
                                  "Notícias da família",
                                  "Programação do fim de semana",
                                  "Versão revisada",
                                  "Dúvida sobre a nota fiscal",
                                  "Almoço na sexta?",
                                  "Resultado da avaliação"});
        pt.words =
            Latin1List({"que",     "não",       "para",      "com",       "uma",        "os",
                        "no",      "se",        "na",        "por",       "mais",       "as",
                        "dos",     "como",      "mas",       "foi",       "ao",         "ele",
                        "das",     "tem",       "seu",       "sua",       "ou",         "ser",
                        "quando",  "muito",     "há",        "nos",       "já",         "está",
                        "eu",      "também",    "só",        "pelo",      "pela",       "até",
                        "isso",    "ela",       "entre",     "era",       "depois",     "sem",
                        "mesmo",   "aos",       "ter",       "seus",      "quem",       "nas",
                        "reunião", "relatório", "amanhã",    "então",     "informação", "atenção",
                        "próxima", "semana",    "você",      "obrigado",  "necessário", "possível",
                        "questão", "situação",  "empresa",   "cliente",   "projeto",    "orçamento",
                        "prazo",   "entrega",   "documento", "pagamento", "conclusão",  "avaliação",
                        "férias",  "família",   "começo",    "início"});
        pt.greetings = Latin1List({"Olá", "Oi", "Prezado", "Caro", "Bom dia"});
        pt.closings =
            Latin1List({"Abraços,", "Um abraço,", "Atenciosamente,", "Beijos,", "Até logo,"});
        pt.fileStems = {"relatorio", "orcamento", "fotos_viagem", "apresentacao",
                        "contrato",  "planilha",  "curriculo",    "convite"};
        pt.hosts = {"casa", "escritorio", "pc", "micro", "notebook"};
        pt.zoneMinutes = -180;

        Language& de = all[1];
        de.firstNames = Latin1List({"Jürgen", "Jörg",    "Günter", "Björn",      "Uwe",    "Klaus",
                                    "Stefan", "Michael", "Thomas", "Andreas",    "Sören",  "Bärbel",
                                    "Jutta",  "Ursula",  "Käthe",  "Sabine",     "Monika", "Anja",
                                    "Birgit", "Dörte",   "Renate", "Hans-Jürgen"});
        de.lastNames = Latin1List({"Müller", "Schäfer", "Weiß", "Groß", "Köhler", "Jäger",
                                   "Schröder", "Bäcker", "Hoffmann", "Wagner", "Becker", "Krüger",
                                   "Böhm", "Förster", "Schmitz", "Größmann", "Kämmerer", "Lührs"});
        de.domains = {"t-online.de", "web.de", "gmx.de", "freenet.de", "arcor.de", "aol.de"};
        de.subjects = Latin1List(
            {"Besprechung am Montag", "Grüße aus München", "Rechnung Nr. 4711",
             "Änderungen im Vertrag", "Urlaubsfotos", "Einladung zur Feier", "Termin nächste Woche",
             "Protokoll der Sitzung", "Bestätigung Ihrer Bestellung", "Frohe Weihnachten!",
             "Angebot für das Büro", "Kurze Rückfrage", "Unterlagen für die Prüfung",
             "Geburtstagsgrüße", "Übersicht der Kosten", "Wohnungsübergabe"});
        de.words = Latin1List(
            {"und",        "die",       "der",       "nicht",       "das",      "ist",
             "ich",        "es",        "sie",       "wir",         "mit",      "für",
             "auf",        "dem",       "den",       "ein",         "eine",     "zu",
             "von",        "haben",     "werden",    "auch",        "noch",     "nach",
             "bei",        "über",      "schön",     "Grüße",       "wäre",     "können",
             "müssen",     "würde",     "Vorschlag", "Besprechung", "nächste",  "Woche",
             "Unterlagen", "natürlich", "gerne",     "Rückmeldung", "Änderung", "Büro",
             "Straße",     "Größe",     "Prüfung",   "Überweisung", "Kollegen", "Termin",
             "morgen",     "heute",     "leider",    "später",      "früher",   "Bestellung",
             "Vertrag",    "Angebot",   "Kosten",    "Rechnung",    "Projekt",  "Gespräch",
             "Ergebnis"});
        de.greetings = Latin1List({"Hallo", "Lieber", "Liebe", "Hi", "Guten Tag"});
        de.closings = Latin1List(
            {"Viele Grüße", "Mit freundlichen Grüßen", "Bis bald,", "Gruß", "Schöne Grüße"});
        de.fileStems = {"Rechnung",   "Angebot", "Urlaub", "Protokoll",
                        "Lebenslauf", "Vertrag", "Kosten", "Einladung"};
        de.hosts = {"buero", "zuhause", "rechner", "laptop", "pc"};
        de.zoneMinutes = 60;

        Language& fr = all[2];
        fr.firstNames =
            Latin1List({"François", "Jérôme",    "Hélène", "Cécile", "Stéphane", "Frédéric",
                        "Noël",     "Gaël",      "Loïc",   "André",  "Thérèse",  "Zoë",
                        "Amélie",   "Émilie",    "Josée",  "Pierre", "Nicolas",  "Isabelle",
                        "Céline",   "Sébastien", "Anaïs",  "Raphaël"});
        fr.lastNames = Latin1List({"Lefèvre", "Dupré", "Bézier", "Gérard", "Mercier", "Fournier",
                                   "Bélanger", "Rivière", "Lécuyer", "Moreau", "Laurent", "Dubois",
                                   "Févre", "Chênevert", "Lemaître", "Beaupré", "Crépeau"});
        fr.domains = {"wanadoo.fr", "free.fr", "laposte.net", "club-internet.fr",
                      "orange.fr",  "noos.fr", "voila.fr"};
        fr.subjects = Latin1List(
            {"Réunion de vendredi", "Compte rendu", "Félicitations !", "Facture en pièce jointe",
             "Photos de l'été", "Rendez-vous à Paris", "Dîner chez nous", "Demande de congés",
             "Problème de connexion", "Nouvelles de la famille", "Prochaine étape du projet",
             "Réservation de l'hôtel", "Vœux pour la nouvelle année", "Mise à jour du dossier",
             "Devis révisé", "Où en est-on ?"});
        fr.words = Latin1List(
            {"le",       "de",      "un",       "être",   "et",      "à",         "il",
             "avoir",    "ne",      "je",       "son",    "que",     "se",        "qui",
             "ce",       "dans",    "en",       "du",     "elle",    "au",        "pour",
             "pas",      "vous",    "par",      "sur",    "faire",   "plus",      "dire",
             "me",       "on",      "mon",      "lui",    "nous",    "comme",     "mais",
             "pouvoir",  "très",    "déjà",     "après",  "réunion", "prochaine", "semaine",
             "été",      "hôtel",   "fenêtre",  "reçu",   "leçon",   "français",  "à bientôt",
             "problème", "système", "deuxième", "idée",   "société", "équipe",    "période",
             "intérêt",  "réponse", "dossier",  "congés", "voilà"});
        fr.greetings = Latin1List({"Bonjour", "Salut", "Cher", "Chère", "Coucou"});
        fr.closings =
            Latin1List({"Cordialement,", "Bien à vous,", "Amitiés,", "À bientôt,", "Bisous,"});
        fr.fileStems = {"facture", "devis",   "photos_vacances", "compte_rendu",
                        "cv",      "contrat", "planning",        "invitation"};
        fr.hosts = {"maison", "bureau", "portable", "pc"};
        fr.zoneMinutes = 60;

        Language& en = all[3];
        en.firstNames = {"John",     "Michael", "David", "Robert", "James", "Sarah", "Emily",
                         "Jennifer", "Karen",   "Susan", "Peter",  "Mark",  "Linda", "Helen"};
        en.lastNames = {"Smith",  "Johnson", "Brown",  "Taylor", "Wilson", "Clarke",
                        "Walker", "Wright",  "Hughes", "Green",  "Baker",  "O'Neill"};
        en.domains = {"hotmail.com",    "yahoo.com", "aol.com",       "earthlink.net",
                      "btinternet.com", "msn.com",   "compuserve.com"};
        en.subjects = {"Meeting notes",
                       "Quarterly report",
                       "Lunch on Friday?",
                       "Project update",
                       "Holiday pictures",
                       "Invoice attached",
                       "Happy birthday!",
                       "Question about the contract",
                       "Schedule for next week",
                       "Minutes",
                       "Thanks for yesterday",
                       "New phone number",
                       "Budget 2003",
                       "Reminder"};
        en.words = {"the",    "of",     "and",     "to",       "in",       "is",       "you",
                    "that",   "it",     "he",      "was",      "for",      "on",       "are",
                    "as",     "with",   "his",     "they",     "at",       "be",       "this",
                    "have",   "from",   "or",      "one",      "had",      "by",       "word",
                    "but",    "not",    "what",    "all",      "were",     "we",       "when",
                    "your",   "can",    "said",    "there",    "use",      "each",     "which",
                    "she",    "do",     "how",     "their",    "if",       "will",     "up",
                    "other",  "about",  "meeting", "report",   "tomorrow", "schedule", "budget",
                    "office", "client", "project", "deadline", "please",   "thanks",   "attached",
                    "review", "update"};
        en.greetings = {"Hi", "Hello", "Dear", "Hey"};
        en.closings = {"Regards,", "Best regards,", "Cheers,", "Thanks,", "Talk soon,"};
        en.fileStems = {"report", "invoice", "photos", "minutes",
                        "budget", "resume",  "agenda", "proposal"};
        en.hosts = {"home", "office", "laptop", "desktop"};
        en.zoneMinutes = -300;
        return all;
    }();
    return languages;
}

// Address-safe spelling of a windows-1252 letter from 0xC0 on.
const char* const kFolded[64] = {
    "a", "a", "a", "a", "ae", "a", "ae", "c", "e", "e", "e", "e", "i",  "i", "i",  "i",
    "d", "n", "o", "o", "o",  "o", "oe", "x", "o", "u", "u", "u", "ue", "y", "th", "ss",
    "a", "a", "a", "a", "ae", "a", "ae", "c", "e", "e", "e", "e", "i",  "i", "i",  "i",
    "d", "n", "o", "o", "o",  "o", "oe", "",  "o", "u", "u", "u", "ue", "y", "th", "y"};

std::string AddressPart(std::string_view text) {
    std::string out;
    for (char ch : text) {
        const auto c = std::uint8_t(ch);
        if (c >= 0xC0) {
            out += kFolded[c - 0xC0];
        } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            out += char(c);
        } else if (c >= 'A' && c <= 'Z') {
            out += char(c - 'A' + 'a');
        }
    }
    return out;
}

struct Person {
    int language = 0;
    std::string first;  // windows-1252
    std::string name;   // display name, never with an at sign
    std::string address;
};

Person MakePerson(Rng& rng) {
    static const int kLanguageWeights[] = {35, 25, 20, 20};
    int roll = int(rng.Below(100));
    int language = 0;
    while (roll >= kLanguageWeights[language]) roll -= kLanguageWeights[language++];
    const Language& lang = Languages()[std::size_t(language)];
    Person p;
    p.language = language;
    p.first = rng.Pick(lang.firstNames);
    const std::string& last = rng.Pick(lang.lastNames);
    p.name = p.first + " " + last;
    const std::string first = AddressPart(p.first);
    const std::string family = AddressPart(last);
    std::string local;
    switch (rng.Below(5)) {
        case 0:
            local = first + "." + family;
            break;
        case 1:
            local = first + family;
            break;
        case 2:
            local = first.substr(0, 1) + family;
            break;
        case 3:
            local = first + "_" + family;
            break;
        default:
            local = first + std::to_string(rng.Range(1, 99));
            break;
    }
    p.address = local + "@" + rng.Pick(lang.domains);
    return p;
}

// ---------------------------------------------------------------------------------------
// Message text (RFC 5322 with MIME, CRLF line ends, as Outlook Express 6 sends it).

constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kLongWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                         "Thursday", "Friday", "Saturday"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kLongMonths[] = {"January",   "February", "March",    "April",
                                       "May",       "June",     "July",     "August",
                                       "September", "October",  "November", "December"};

std::tm ZoneTime(std::int64_t utc, int zoneMinutes) {
    std::time_t t = std::time_t(utc + std::int64_t(zoneMinutes) * 60);
    std::tm tm{};
    gmtime_r(&t, &tm);
    return tm;
}

std::string HeaderDate(std::int64_t utc, int zoneMinutes) {
    const std::tm tm = ZoneTime(utc, zoneMinutes);
    const int zone = zoneMinutes < 0 ? -zoneMinutes : zoneMinutes;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %d %s %04d %02d:%02d:%02d %c%02d%02d",
                  kWeekdays[tm.tm_wday], tm.tm_mday, kMonths[tm.tm_mon], tm.tm_year + 1900,
                  tm.tm_hour, tm.tm_min, tm.tm_sec, zoneMinutes < 0 ? '-' : '+', zone / 60,
                  zone % 60);
    return text;
}

std::string SentLine(std::int64_t utc, int zoneMinutes) {
    const std::tm tm = ZoneTime(utc, zoneMinutes);
    const int hour = tm.tm_hour % 12 == 0 ? 12 : tm.tm_hour % 12;
    char text[80];
    std::snprintf(text, sizeof text, "%s, %s %d, %04d %d:%02d %s", kLongWeekdays[tm.tm_wday],
                  kLongMonths[tm.tm_mon], tm.tm_mday, tm.tm_year + 1900, hour, tm.tm_min,
                  tm.tm_hour < 12 ? "AM" : "PM");
    return text;
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return std::uint8_t(c) < 0x80; });
}

constexpr char kHex[] = "0123456789ABCDEF";

// An RFC 2047 "Q" encoded word, split so that no word passes 75 characters.
std::string EncodedWords(std::string_view text) {
    std::string out;
    std::string word;
    auto flush = [&] {
        if (word.empty()) return;
        if (!out.empty()) out += "\r\n ";
        out += "=?iso-8859-1?Q?" + word + "?=";
        word.clear();
    };
    for (char ch : text) {
        const auto c = std::uint8_t(ch);
        std::string piece;
        if (c == ' ') {
            piece = "_";
        } else if (c >= 0x80 || c == '=' || c == '?' || c == '_' || c < 0x20) {
            piece = {'=', kHex[c >> 4], kHex[c & 15]};
        } else {
            piece = std::string(1, ch);
        }
        if (word.size() + piece.size() > 75 - 18) flush();
        word += piece;
    }
    flush();
    return out;
}

std::string HeaderText(std::string_view text) {
    return IsAscii(text) ? std::string(text) : EncodedWords(text);
}

std::string Mailbox(const Person& p) {
    return "\"" + HeaderText(p.name) + "\" <" + p.address + ">";
}

// Quoted-printable with soft breaks before column 76; the input's lines end in CRLF.
std::string QuotedPrintable(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        const bool lastLine = end == std::string_view::npos;
        if (lastLine) end = text.size();
        std::size_t column = 0;
        for (std::size_t i = start; i < end; ++i) {
            const auto c = std::uint8_t(text[i]);
            const bool trailingBlank = (c == ' ' || c == '\t') && i + 1 == end;
            std::string piece;
            if (c >= 0x7F || c == '=' || (c < 0x20 && c != '\t') || trailingBlank) {
                piece = {'=', kHex[c >> 4], kHex[c & 15]};
            } else {
                piece = std::string(1, char(c));
            }
            if (column + piece.size() > 75) {
                out += "=\r\n";
                column = 0;
            }
            out += piece;
            column += piece.size();
        }
        if (!lastLine) out += "\r\n";
        start = end + 2;
    }
    return out;
}

void AppendBase64(std::string& out, const std::uint8_t* data, std::size_t n) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    out.reserve(out.size() + n / 57 * 78 + 80);
    for (std::size_t line = 0; line < n; line += 57) {
        const std::size_t end = std::min(n, line + 57);
        for (std::size_t i = line; i < end; i += 3) {
            const std::uint32_t a = data[i];
            const std::uint32_t b = i + 1 < end ? data[i + 1] : 0;
            const std::uint32_t c = i + 2 < end ? data[i + 2] : 0;
            const std::uint32_t v = a << 16 | b << 8 | c;
            out += kAlphabet[v >> 18];
            out += kAlphabet[(v >> 12) & 63];
            out += i + 1 < end ? kAlphabet[(v >> 6) & 63] : '=';
            out += i + 2 < end ? kAlphabet[v & 63] : '=';
        }
        out += "\r\n";
    }
}

std::string HtmlEscape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// Lines of at most 72 characters, each ended with CRLF.
void AppendWrapped(std::string& out, std::string_view paragraph, std::string_view prefix = {}) {
    std::size_t start = 0;
    while (start < paragraph.size()) {
        std::size_t end = paragraph.size();
        if (end - start > 72 - prefix.size()) {
            end = paragraph.rfind(' ', start + 72 - prefix.size());
            if (end == std::string_view::npos || end <= start) end = start + 72;
        }
        out += prefix;
        out += paragraph.substr(start, end - start);
        out += "\r\n";
        start = end;
        while (start < paragraph.size() && paragraph[start] == ' ') ++start;
    }
}

struct Attachment {
    const char* type;
    const char* extension;
    std::string_view magic;
};

const Attachment kAttachments[] = {
    {"application/pdf", "pdf", std::string_view("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n", 15)},
    {"image/jpeg", "jpg", std::string_view("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01", 13)},
    {"application/msword", "doc", std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)},
    {"application/x-zip-compressed", "zip", std::string_view("PK\x03\x04\x14\x00\x00\x00", 8)},
    {"application/vnd.ms-excel", "xls", std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)},
};

enum class BodyKind { Plain, Html, WithAttachment };

// Everything about a message but where it goes.
struct Message {
    Person from;
    Person to;
    std::string subject;  // windows-1252, with its Re:/Fw: prefix
    std::string messageId;
    bool recordHasMessageId = false;
    std::int64_t sent = 0;
    std::int64_t received = 0;
    bool read = true;
    std::size_t opaqueSize = 0;  // of the record's opaque property
    BodyKind kind = BodyKind::Plain;
    std::string body;
};

class MessageWriter {
  public:
    MessageWriter(Rng& rng, const std::string& folderName) : rng_(rng) {
        owner_ = MakePerson(rng_);
        for (int i = 0; i < 40; ++i) contacts_.push_back(MakePerson(rng_));
        std::string lower;
        for (char c : folderName) lower += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        outgoing_ = lower.find("sent") != std::string::npos ||
                    lower.find("outbox") != std::string::npos ||
                    lower.find("enviad") != std::string::npos ||
                    lower.find("gesendet") != std::string::npos;
    }

    Message Compose() {
        Message m;
        if (outgoing_) {
            m.from = owner_;
            m.to = rng_.Pick(contacts_);
        } else {
            m.from = rng_.Pick(contacts_);
            m.to = rng_.Chance(0.85) ? owner_ : rng_.Pick(contacts_);
        }
        const Language& lang = Languages()[std::size_t(m.from.language)];
        std::string topic = rng_.Pick(lang.subjects);
        if (rng_.Chance(0.15)) topic += " " + std::to_string(rng_.Range(2, 2009));
        const std::uint64_t prefixRoll = rng_.Below(100);
        std::string prefix = prefixRoll < 30   ? "Re: "
                             : prefixRoll < 38 ? "Fw: "
                             : prefixRoll < 42 ? "RE: "
                             : prefixRoll < 44 ? "FW: "
                                               : "";
        m.subject = prefix + topic;
        m.sent = rng_.Range(kFirstDate, kLastDate);
        m.received = m.sent + rng_.Range(3, 900);
        m.read = rng_.Chance(0.8);
        m.opaqueSize = std::size_t(rng_.Range(160, 320));
        m.messageId = MessageId(m);
        m.recordHasMessageId = rng_.Chance(0.4);
        const std::uint64_t kindRoll = rng_.Below(100);
        m.kind = kindRoll < 45   ? BodyKind::Plain
                 : kindRoll < 75 ? BodyKind::Html
                                 : BodyKind::WithAttachment;
        m.body = Body(m, prefix.empty() ? "" : prefix.substr(0, 2), topic);
        return m;
    }

  private:
    std::string MessageId(const Message& m) {
        const Language& lang = Languages()[std::size_t(m.from.language)];
        char text[96];
        std::snprintf(text, sizeof text, "<%04x01c%05x$%08x$%08x@%s>",
                      unsigned(rng_.Below(0x10000)), unsigned(rng_.Below(0x100000)),
                      unsigned(rng_.Below(0x100000000)), unsigned(rng_.Below(0x100000000)),
                      rng_.Pick(lang.hosts).c_str());
        return text;
    }

    std::string Sentence(const Language& lang) {
        std::string s;
        const int n = int(rng_.Range(4, 15));
        for (int i = 0; i < n; ++i) {
            if (i) s += ' ';
            s += rng_.Pick(lang.words);
        }
        if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = char(s[0] - 'a' + 'A');
        if (!s.empty() && std::uint8_t(s[0]) >= 0xE0 && std::uint8_t(s[0]) != 0xF7) {
            s[0] = char(std::uint8_t(s[0]) - 0x20);
        }
        const std::uint64_t end = rng_.Below(10);
        s += end < 7 ? "." : end < 9 ? "!" : "?";
        return s;
    }

    std::vector<std::string> Paragraphs(const Language& lang, int count) {
        std::vector<std::string> out;
        for (int i = 0; i < count; ++i) {
            std::string p;
            const int sentences = int(rng_.Range(1, 5));
            for (int s = 0; s < sentences; ++s) {
                if (s) p += ' ';
                p += Sentence(lang);
            }
            out.push_back(std::move(p));
        }
        return out;
    }

    // The text of the message as paragraphs; `quote` holds the earlier message of a reply.
    struct Text {
        std::vector<std::string> paragraphs;
        std::vector<std::string> quoteHeader;
        std::vector<std::string> quote;
    };

    Text ComposeText(const Message& m, std::string_view prefix, const std::string& topic) {
        const Language& lang = Languages()[std::size_t(m.from.language)];
        Text t;
        t.paragraphs.push_back(rng_.Pick(lang.greetings) + " " + m.to.first + ",");
        const int count = rng_.Chance(0.1) ? int(rng_.Range(15, 40)) : int(rng_.Range(1, 10));
        for (std::string& p : Paragraphs(lang, count)) t.paragraphs.push_back(std::move(p));
        t.paragraphs.push_back(rng_.Pick(lang.closings));
        t.paragraphs.push_back(m.from.first);
        if (!prefix.empty()) {
            const std::int64_t earlier = m.sent - rng_.Range(600, 5 * 86400);
            const Language& other = Languages()[std::size_t(m.to.language)];
            t.quoteHeader = {"----- Original Message ----- ", "From: " + m.to.name + " ",
                             "To: " + m.from.name + " ",
                             "Sent: " + SentLine(earlier, other.zoneMinutes), "Subject: " + topic};
            t.quote = Paragraphs(other, int(rng_.Range(1, 4)));
        }
        return t;
    }

    static std::string PlainText(const Text& t) {
        std::string out;
        for (const std::string& p : t.paragraphs) {
            AppendWrapped(out, p);
            out += "\r\n";
        }
        if (!t.quoteHeader.empty()) {
            for (const std::string& line : t.quoteHeader) out += line + "\r\n";
            out += "\r\n";
            for (const std::string& p : t.quote) {
                AppendWrapped(out, p, "> ");
                out += ">\r\n";
            }
        }
        return out;
    }

    std::string HtmlText(const Text& t) {
        const bool upper = rng_.Chance(0.6);
        auto tag = [upper](std::string_view name) {
            std::string s(name);
            if (upper) {
                for (char& c : s) {
                    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
                }
            }
            return s;
        };
        std::string out;
        out += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\r\n";
        out += "<" + tag("html") + "><" + tag("head") + ">\r\n";
        out += "<" + tag("meta") +
               " http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">\r\n";
        out += "<" + tag("meta") + " content=\"MSHTML 6.00.2900.2180\" name=GENERATOR>\r\n";
        out += "<" + tag("style") + "></" + tag("style") + ">\r\n";
        out += "</" + tag("head") + ">\r\n";
        out += "<" + tag("body") + " bgColor=#ffffff>\r\n";
        const std::string div = tag("div");
        const std::string font = tag("font");
        for (const std::string& p : t.paragraphs) {
            out += "<" + div + "><" + font + " face=Arial size=2>" + HtmlEscape(p) + "</" + font +
                   "></" + div + ">\r\n";
            out += "<" + div + "><" + font + " face=Arial size=2></" + font + ">&nbsp;</" + div +
                   ">\r\n";
        }
        if (!t.quoteHeader.empty()) {
            out += "<" + tag("blockquote") +
                   " style=\"PADDING-LEFT: 5px; MARGIN-LEFT: 5px; BORDER-LEFT: #000000 2px solid\">"
                   "\r\n";
            for (const std::string& line : t.quoteHeader) {
                out += "<" + div + " style=\"FONT: 10pt arial\">" + HtmlEscape(line) + "</" + div +
                       ">\r\n";
            }
            for (const std::string& p : t.quote) {
                out += "<" + div + "><" + font + " face=Arial size=2>" + HtmlEscape(p) + "</" +
                       font + "></" + div + ">\r\n";
            }
            out += "</" + tag("blockquote") + ">";
        }
        out += "</" + tag("body") + "></" + tag("html") + ">\r\n";
        return out;
    }

    std::string Boundary(int level) {
        char text[64];
        std::snprintf(text, sizeof text, "----=_NextPart_%03d_%04X_%08X.%08X", level,
                      unsigned(rng_.Below(0x10000)), unsigned(rng_.Below(0x100000000)),
                      unsigned(rng_.Below(0x100000000)));
        return text;
    }

    static void AppendTextPart(std::string& out, std::string_view subtype, const std::string& text,
                               std::string_view moreHeaders = {}) {
        // Outlook Express sends HTML quoted-printable; its lines would run long otherwise.
        const bool ascii = IsAscii(text) && subtype != "html";
        out += "Content-Type: text/";
        out += subtype;
        out += ";\r\n\tcharset=\"iso-8859-1\"\r\n";
        out += ascii ? "Content-Transfer-Encoding: 7bit\r\n"
                     : "Content-Transfer-Encoding: quoted-printable\r\n";
        out += moreHeaders;
        out += "\r\n";
        out += ascii ? text : QuotedPrintable(text);
    }

    void AppendAlternative(std::string& out, const Text& t) {
        const std::string boundary = Boundary(1);
        out += "Content-Type: multipart/alternative;\r\n\tboundary=\"" + boundary + "\"\r\n\r\n";
        out += "\r\n--" + boundary + "\r\n";
        AppendTextPart(out, "plain", PlainText(t));
        out += "\r\n--" + boundary + "\r\n";
        AppendTextPart(out, "html", HtmlText(t));
        out += "\r\n--" + boundary + "--\r\n";
    }

    void AppendAttachment(std::string& out, const Person& from) {
        const Attachment& a = kAttachments[rng_.Below(std::size(kAttachments))];
        const Language& lang = Languages()[std::size_t(from.language)];
        std::string name = rng_.Pick(lang.fileStems);
        if (rng_.Chance(0.5)) name += "_" + std::to_string(rng_.Range(1, 2009));
        name += ".";
        name += a.extension;
        const int bits = int(rng_.Range(11, 17));  // a few KB to a few hundred KB
        const std::size_t size = (std::size_t(1) << bits) + rng_.Below(std::size_t(1) << bits);
        std::vector<std::uint8_t> data(size);
        rng_.Fill(data.data(), data.size());
        std::copy(a.magic.begin(), a.magic.begin() + std::ptrdiff_t(std::min(a.magic.size(), size)),
                  data.begin());
        out += "Content-Type: ";
        out += a.type;
        out += ";\r\n\tname=\"" + name + "\"\r\n";
        out += "Content-Transfer-Encoding: base64\r\n";
        out += "Content-Disposition: attachment;\r\n\tfilename=\"" + name + "\"\r\n\r\n";
        AppendBase64(out, data.data(), data.size());
    }

    static const char* Mailer(std::int64_t sent) {
        if (sent < 999302400) return "Microsoft Outlook Express 5.50.4522.1200";   // 2001-09
        if (sent < 1093996800) return "Microsoft Outlook Express 6.00.2800.1437";  // 2004-09
        return "Microsoft Outlook Express 6.00.2900.2180";
    }

    std::string Body(const Message& m, std::string_view prefix, const std::string& topic) {
        const Text text = ComposeText(m, prefix, topic);
        const int zone = Languages()[std::size_t(m.from.language)].zoneMinutes;
        std::string out;
        if (!outgoing_) {
            const Language& lang = Languages()[std::size_t(m.to.language)];
            const std::string& domain = lang.domains[rng_.Below(lang.domains.size())];
            out += "Received: from " + m.from.address.substr(m.from.address.find('@') + 1) + " ([" +
                   std::to_string(rng_.Range(62, 220)) + "." + std::to_string(rng_.Range(1, 254)) +
                   "." + std::to_string(rng_.Range(1, 254)) + "." +
                   std::to_string(rng_.Range(1, 254)) + "])\r\n\tby mx." + domain + " with SMTP; " +
                   HeaderDate(m.received, zone) + "\r\n";
        }
        out += "Message-ID: " + m.messageId + "\r\n";
        out += "From: " + Mailbox(m.from) + "\r\n";
        out += "To: " + Mailbox(m.to) + "\r\n";
        out += "Subject: " + HeaderText(m.subject) + "\r\n";
        out += "Date: " + HeaderDate(m.sent, zone) + "\r\n";
        out += "MIME-Version: 1.0\r\n";
        const std::string mailer =
            "X-Priority: 3\r\nX-MSMail-Priority: Normal\r\nX-Mailer: " +
            std::string(Mailer(m.sent)) +
            "\r\nX-MimeOLE: Produced By Microsoft MimeOLE V6.00.2900.2180\r\n";
        if (m.kind == BodyKind::Plain) {
            AppendTextPart(out, "plain", PlainText(text), mailer);
            return out;
        }
        const std::string boundary = Boundary(0);
        const bool mixed = m.kind == BodyKind::WithAttachment;
        out += mixed
                   ? "Content-Type: multipart/mixed;\r\n\tboundary=\"" + boundary + "\"\r\n"
                   : "Content-Type: multipart/alternative;\r\n\tboundary=\"" + boundary + "\"\r\n";
        out += mailer + "\r\n";
        out += "This is a multi-part message in MIME format.\r\n";
        if (!mixed) {
            out += "\r\n--" + boundary + "\r\n";
            AppendTextPart(out, "plain", PlainText(text));
            out += "\r\n--" + boundary + "\r\n";
            AppendTextPart(out, "html", HtmlText(text));
        } else {
            out += "\r\n--" + boundary + "\r\n";
            if (rng_.Chance(0.5)) {
                AppendAlternative(out, text);
            } else {
                AppendTextPart(out, "plain", PlainText(text));
            }
            const int files = rng_.Chance(0.2) ? 2 : 1;
            for (int i = 0; i < files; ++i) {
                out += "\r\n--" + boundary + "\r\n";
                AppendAttachment(out, m.from);
            }
        }
        out += "\r\n--" + boundary + "--\r\n";
        return out;
    }

    Rng& rng_;
    Person owner_;
    std::vector<Person> contacts_;
    bool outgoing_ = false;
};

// ---------------------------------------------------------------------------------------
// The file: two segments being filled are kept in memory; everything else goes straight
// to its place.

class SegmentBuffer {
  public:
    bool Holds(std::uint64_t offset, std::size_t n) const {
        return open_ && offset >= start_ && offset + n <= start_ + bytes_.size();
    }
    void Put(std::uint64_t offset, const std::uint8_t* data, std::size_t n) {
        std::memcpy(bytes_.data() + (offset - start_), data, n);
    }
    void Reset(std::uint64_t start, std::size_t size) {
        start_ = start;
        bytes_.assign(size, 0);
        open_ = true;
    }
    bool Open() const { return open_; }
    std::uint64_t Start() const { return start_; }
    const Bytes& Contents() const { return bytes_; }
    void Close() { open_ = false; }

  private:
    std::uint64_t start_ = 0;
    Bytes bytes_;
    bool open_ = false;
};

class OutputFile {
  public:
    OutputFile(const std::string& path, bool overwrite) : path_(path) {
        const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (overwrite ? O_TRUNC : O_EXCL);
        fd_ = ::open(path.c_str(), flags, 0644);
        if (fd_ < 0) Fail(errno == EEXIST ? "exists already (not replaced)" : std::strerror(errno));
    }
    ~OutputFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t n) {
        while (n > 0) {
            const ssize_t done = ::pwrite(fd_, data, n, off_t(offset));
            if (done < 0 && errno == EINTR) continue;
            if (done <= 0) Fail(std::strerror(errno));
            data += done;
            offset += std::uint64_t(done);
            n -= std::size_t(done);
        }
    }
    void Resize(std::uint64_t size) {
        if (::ftruncate(fd_, off_t(size)) != 0) Fail(std::strerror(errno));
    }
    void Close() {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) Fail(std::strerror(errno));
    }

  private:
    [[noreturn]] void Fail(const std::string& why) const {
        throw std::runtime_error(path_ + ": " + why);
    }
    std::string path_;
    int fd_ = -1;
};

// Bytes of a damaged range that can never be read as a word holding its own offset: each
// byte differs from the low byte of its offset, and the first three from the top byte of
// the words that begin just before the range.
void FillGarbage(Bytes& bytes, std::uint64_t start, Rng& rng) {
    rng.Fill(bytes.data(), bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint64_t at = start + i;
        const auto low = std::uint8_t(at);
        const std::uint8_t top = i < 3 && start >= 3 - i ? std::uint8_t((at - 3) >> 24) : low;
        while (bytes[i] == low || bytes[i] == top) ++bytes[i];
    }
}

// The loose recogniser finds a freed record's data area from an at sign and the NUL before
// it, taking the first at sign whose text, read from that NUL, also has a dot. A freed
// record is only written when no byte before the sender's address starts such a text.
bool SenderAtSignComesFirst(const Bytes& record, std::size_t senderStart) {
    for (std::size_t j = 0; j < senderStart && j < record.size(); ++j) {
        if (record[j] != '@') continue;
        std::size_t k = j;
        while (k >= 1 && record[k] != 0) --k;
        if (k == 0) continue;
        const auto text = record.begin() + std::ptrdiff_t(k + 1);
        const auto end = std::find(text, record.end(), std::uint8_t(0));
        if (std::find(text, end, std::uint8_t('.')) != end) return false;
    }
    return true;
}

// Whether a word inside the record, past its first, holds its own offset. The scan would
// probe there, and such a probe can read on into the records that follow.
bool HoldsInnerSelfOffset(const Bytes& record, std::uint32_t at) {
    for (std::size_t i = 1; i + 4 <= record.size(); ++i) {
        if (LoadU32(record.data() + i) == at + i) return true;
    }
    return false;
}

// The free-list link overwrites the record's second entry; read as an entry, a link whose
// low byte is the body-offset or recipient id would stand in for the real one.
bool LinkReadsAsHarmlessEntry(std::uint32_t link) {
    const auto id = std::uint8_t(link);
    return id != build::kPropBodyOffset && id != build::kPropRecipientAddress;
}

// Offset of the sender address from the record's start.
std::size_t SenderStart(const std::vector<build::Property>& props) {
    std::size_t data = 0;
    for (const build::Property& p : props) {
        if (p.id == build::kPropSenderAddress) return 12 + 4 * props.size() + data;
        if (!(p.id & 0x80)) data += p.data.size();
    }
    return 0;
}

// Random bytes for the opaque property of the record encoded at `at`, kept from reading as
// a word that holds its own offset.
void FillOpaque(Bytes& record, const std::vector<build::Property>& props, std::uint32_t at,
                Rng& rng) {
    std::size_t data = 12 + 4 * props.size();
    for (const build::Property& p : props) {
        if (p.id == kPropOpaque) {
            Bytes bytes(p.data.size());
            FillGarbage(bytes, at + data, rng);
            std::copy(bytes.begin(), bytes.end(), record.begin() + std::ptrdiff_t(data));
            return;
        }
        if (!(p.id & 0x80)) data += p.data.size();
    }
}

// A record for `props` at `at`.
Bytes EncodeRecord(std::uint32_t at, const std::vector<build::Property>& props, Rng& rng) {
    Bytes record = build::EncodeIndexRecord(at, props);
    FillOpaque(record, props, at, rng);
    return record;
}

std::uint64_t TreeBytes(std::size_t records) {
    const std::uint64_t nodes = (records + kTreeNodeEntries - 1) / kTreeNodeEntries;
    return (nodes + kNodesPerTreeSegment - 1) / kNodesPerTreeSegment * kTreeSegmentSize;
}

class Generator {
  public:
    Generator(const std::string& path, const GeneratorOptions& options)
        : options_(options),
          rng_(options.seed),
          writer_(rng_, options.folderName),
          out_(path, options.overwrite) {}

    GeneratedStore Run() {
        const bool bySize = options_.messageCount == 0;
        double share = options_.deletedShare;
        std::vector<bool> plan;
        if (!bySize) {
            const std::uint32_t n = options_.messageCount;
            const std::uint32_t toDelete =
                std::min(n, options_.deletedCount.value_or(std::uint32_t(share * n + 0.5)));
            std::vector<std::uint32_t> order(n);
            for (std::uint32_t i = 0; i < n; ++i) order[i] = i;
            plan.assign(n, false);
            for (std::uint32_t i = 0; i < toDelete; ++i) {
                std::swap(order[i], order[i + rng_.Below(n - i)]);
                plan[order[i]] = true;
            }
        } else if (options_.deletedCount) {
            const double estimate =
                std::max<double>(1.0, double(options_.targetSize / kTypicalFootprint));
            share = std::min(1.0, double(*options_.deletedCount) / estimate);
        }
        // With damage, at least one wiped record and one garbage gap, early on.
        const std::uint32_t forcedLost = bySize ? 1 : options_.messageCount / 3;
        const std::uint32_t forcedGap = bySize ? 2 : options_.messageCount * 2 / 3;

        const std::uint32_t cap =
            options_.deletedCount ? *options_.deletedCount : std::uint32_t(-1);
        // The folder's first records come before any message block, as in a new store.
        records_.Reset(Allocate(kRecordSegmentSize), kRecordSegmentSize);
        std::uint32_t owed = 0;
        std::uint32_t deleted = 0;
        for (std::uint32_t i = 0; bySize || i < options_.messageCount; ++i) {
            if (options_.damage) {
                if (i == forcedGap || rng_.Chance(0.02)) {
                    if (!Fits(0)) break;
                    WriteGap();
                }
                if (i == forcedLost || rng_.Chance(0.03)) {
                    Message lost = writer_.Compose();
                    if (!Fits(lost.body.size())) break;
                    WriteLost(lost);
                }
            }
            if (bySize ? rng_.Chance(share) && deleted + owed < cap : bool(plan[i])) {
                ++owed;
            }
            // A message whose freed record would be misread gives its place to another one;
            // past a few, the deletion passes on to the next message. Near the target size,
            // smaller messages may still fit where a large one did not.
            Outcome outcome = Outcome::Retry;
            for (int tries = 0, misfits = 0; outcome == Outcome::Retry;) {
                const Message m = writer_.Compose();
                if (bySize && !Fits(m.body.size())) {
                    if (++misfits > 20) return Finish(bySize);
                    continue;
                }
                outcome = WriteListed(m, owed > 0, tries++ < 8);
            }
            if (outcome == Outcome::Deleted) {
                --owed;
                ++deleted;
            }
        }
        return Finish(bySize);
    }

  private:
    // Whether a message of `bodySize` bytes, with all that may come along with it, still
    // leaves room for the tree below the target size.
    bool Fits(std::size_t bodySize) const {
        if (options_.messageCount != 0) return true;
        // A stale copy and the record itself, each at most this long with its padding.
        constexpr std::size_t kRecordRoom = 2 * 1200;
        const bool recordsFit = records_.Open() && recordsUsed_ + kRecordRoom <= kRecordSegmentSize;
        const std::size_t freeSlots = blocks_.Open() ? kBlocksPerSegment - blocksUsed_ : 0;
        const std::size_t slots = build::BlocksFor(bodySize) + 3;  // and a jump over a few
        const std::size_t newSegments =
            slots > freeSlots ? (slots - freeSlots + kBlocksPerSegment - 1) / kBlocksPerSegment : 0;
        const std::uint64_t worst =
            (recordsFit ? 0 : kRecordSegmentSize) + newSegments * kBlockSegmentSize +
            (options_.damage ? kMaxDamageGap : 0) + TreeBytes(existing_.size() + 1);
        return end_ + worst <= options_.targetSize;
    }

    std::uint64_t Allocate(std::uint64_t size) {
        const std::uint64_t at = end_;
        if (end_ + size > kMaxStoreSize) {
            throw std::invalid_argument("the messages do not fit in a 2 GiB store");
        }
        end_ += size;
        return at;
    }

    void Put(std::uint64_t offset, const Bytes& bytes) {
        for (SegmentBuffer* b : {&records_, &blocks_}) {
            if (b->Holds(offset, bytes.size())) {
                b->Put(offset, bytes.data(), bytes.size());
                return;
            }
        }
        out_.WriteAt(offset, bytes.data(), bytes.size());
    }

    void Flush(SegmentBuffer& buffer) {
        if (!buffer.Open()) return;
        out_.WriteAt(buffer.Start(), buffer.Contents().data(), buffer.Contents().size());
        buffer.Close();
    }

    // Records go back to back, `pad` bytes apart; one that does not fit opens a new segment
    // at the end.
    std::uint32_t PeekRecord(std::size_t size, std::size_t pad = 0) const {
        if (records_.Open() && recordsUsed_ + pad + size <= kRecordSegmentSize) {
            return std::uint32_t(records_.Start() + recordsUsed_ + pad);
        }
        return std::uint32_t(end_ + pad);
    }

    void PlaceRecord(std::uint32_t at, const Bytes& record) {
        const auto fits = [&] {
            return records_.Open() && at >= records_.Start() + recordsUsed_ &&
                   at + record.size() <= records_.Start() + kRecordSegmentSize;
        };
        if (!fits()) {
            Flush(records_);
            records_.Reset(Allocate(kRecordSegmentSize), kRecordSegmentSize);
            recordsUsed_ = 0;
            if (!fits()) throw std::logic_error("record misplaced");
        }
        recordsUsed_ = at - records_.Start() + record.size();
        Put(at, record);
    }

    // The record `build` makes for the next free place or, when it gives none or one the
    // scan would misread, for one a few bytes further on.
    template <typename Build>
    std::optional<Bytes> FindPlace(std::size_t size, Build build) {
        for (std::size_t pad = 0; pad <= 64; pad += 4) {
            const std::uint32_t at = PeekRecord(size, pad);
            std::optional<Bytes> record = build(at);
            if (record && !HoldsInnerSelfOffset(*record, at)) return record;
        }
        return std::nullopt;
    }

    std::uint32_t NextBlockSlot() {
        if (!blocks_.Open() || blocksUsed_ == kBlocksPerSegment) {
            Flush(blocks_);
            blocks_.Reset(Allocate(kBlockSegmentSize), kBlockSegmentSize);
            blocksUsed_ = 0;
        }
        return std::uint32_t(blocks_.Start() + build::kBlockSize * blocksUsed_++);
    }

    // Mostly consecutive blocks; now and then a chain starts in blocks left over earlier or
    // jumps over a few that a later message takes.
    std::vector<std::uint32_t> AllocateBlocks(std::size_t count) {
        std::vector<std::uint32_t> offsets;
        const bool reuse = !holes_.empty() && rng_.Chance(0.5);
        const std::size_t jumpAt = rng_.Chance(0.06) ? rng_.Below(count) : count;
        for (std::size_t i = 0; i < count; ++i) {
            if (reuse && !holes_.empty()) {
                offsets.push_back(holes_.front());
                holes_.erase(holes_.begin());
                continue;
            }
            if (i == jumpAt && i > 0) {
                for (int skip = int(rng_.Range(1, 3)); skip > 0; --skip) {
                    holes_.push_back(NextBlockSlot());
                }
            }
            offsets.push_back(NextBlockSlot());
        }
        return offsets;
    }

    std::vector<build::Property> Properties(const Message& m, std::uint32_t index,
                                            std::uint32_t bodyOffset, bool read) {
        build::MessageFields f;
        f.index = index;
        f.from = m.from.address;
        f.fromName = m.from.name;
        f.to = "<" + m.to.address + ">";
        f.toName = m.to.name;
        f.subject = m.subject;
        if (m.recordHasMessageId) f.messageId = m.messageId;
        f.filetime = build::FileTimeFromUnix(m.sent);
        f.bodyOffset = bodyOffset;
        f.bodySize = std::uint32_t(m.body.size());
        std::vector<build::Property> props = build::TypicalProperties(f);
        // Opaque data as Outlook Express 6 keeps it after the account; filled in once the
        // record has its place (see FillOpaque).
        props.push_back(build::Property{kPropOpaque, Bytes(m.opaqueSize), 0});
        std::uint32_t flags = read ? 0x10089 : 0x10009;
        if (m.kind == BodyKind::WithAttachment) flags |= 0x4000;
        // Times carry fractions of a second, as the ones Outlook Express takes from the clock.
        auto time = [this](std::int64_t seconds) {
            return build::FileTimeFromUnix(seconds) + std::int64_t(rng_.Below(kTicksPerSecond));
        };
        for (build::Property& p : props) {
            switch (p.id) {
                case build::kPropFlags:
                    p.direct = flags;
                    break;
                case build::kPropTimeSent:
                    p = build::FileTime(p.id, time(m.sent));
                    break;
                case build::kPropTimeReceived:
                    p = build::FileTime(p.id, time(m.received));
                    break;
                case build::kPropTimeSaved:
                    p = build::FileTime(p.id, time(m.received + rng_.Range(1, 900)));
                    break;
                default:
                    break;
            }
        }
        return props;
    }

    // A freed record near the next record place, or nothing when none of a few tries comes
    // out in a shape the loose recogniser reads right.
    std::optional<Bytes> FreedRecord(const Message& m, std::uint32_t index,
                                     std::uint32_t bodyOffset, bool read) {
        const std::size_t size =
            build::EncodeIndexRecord(0, Properties(m, index, bodyOffset, read)).size();
        return FindPlace(size, [&](std::uint32_t at) -> std::optional<Bytes> {
            // The link's own bytes can spoil the record too; then it goes to the list's end.
            for (const std::uint32_t link : {freeRecordHead_, 0u}) {
                if (!LinkReadsAsHarmlessEntry(link)) continue;
                for (int attempt = 0; attempt < 8; ++attempt) {
                    // Only the times and the opaque bytes differ between tries, not the size.
                    std::vector<build::Property> props = Properties(m, index, bodyOffset, read);
                    Bytes freed = build::FreeIndexRecord(EncodeRecord(at, props, rng_), link);
                    if (SenderAtSignComesFirst(freed, SenderStart(props))) return freed;
                }
            }
            return std::nullopt;
        });
    }

    void PlaceFreedRecord(const Bytes& record) {
        const std::uint32_t at = LoadU32(record.data());
        PlaceRecord(at, record);
        freeRecordHead_ = at;
    }

    void PutBlocks(const std::vector<build::Block>& blocks) {
        for (const build::Block& b : blocks) Put(b.offset, b.bytes);
    }

    enum class Outcome { Existing, Deleted, Retry };

    // Writes the message, deleted when asked and its record can be freed readably; else,
    // with `mayRetry`, writes nothing and leaves the place to another message.
    Outcome WriteListed(const Message& m, bool wantDeleted, bool mayRetry) {
        const std::uint32_t index = nextIndex_;
        const std::vector<std::uint32_t> offsets = AllocateBlocks(build::BlocksFor(m.body.size()));
        const std::uint32_t bodyOffset = offsets.front();
        std::optional<Bytes> freed;
        if (wantDeleted) freed = FreedRecord(m, index, bodyOffset, m.read);
        if (wantDeleted && !freed && mayRetry) {
            holes_.insert(holes_.begin(), offsets.begin(), offsets.end());
            return Outcome::Retry;
        }
        ++nextIndex_;
        std::vector<build::Block> blocks = build::EncodeMessageBlocks(m.body, offsets);
        const bool deleted = freed.has_value();

        ManifestEntry e;
        e.index = index;
        e.bodyOffset = bodyOffset;
        e.status = deleted ? MessageStatus::Deleted : MessageStatus::Existing;
        e.from = m.from.address;
        e.fromName = m.from.name;
        e.to = "<" + m.to.address + ">";
        e.toName = m.to.name;
        e.subject = m.subject;
        e.dateSeconds = m.received;
        e.sentSeconds = m.sent;
        e.bodySize = std::uint32_t(m.body.size());

        if (deleted) {
            e.recordOffset = LoadU32(freed->data());
            PlaceFreedRecord(*freed);
            build::FreeMessageBlocks(blocks, freeBlockHead_);
            freeBlockHead_ = blocks.back().offset;
        } else {
            // A record rewritten when the message was read leaves its older copy behind.
            if (m.read && rng_.Chance(0.08)) {
                if (std::optional<Bytes> stale = FreedRecord(m, index, bodyOffset, false)) {
                    PlaceFreedRecord(*stale);
                    ++result_.staleRecords;
                }
            }
            const std::vector<build::Property> props = Properties(m, index, bodyOffset, m.read);
            const std::optional<Bytes> record =
                FindPlace(build::EncodeIndexRecord(0, props).size(),
                          [&](std::uint32_t at) { return EncodeRecord(at, props, rng_); });
            if (!record) throw std::logic_error("no place for a record");
            e.recordOffset = LoadU32(record->data());
            PlaceRecord(e.recordOffset, *record);
            existing_.push_back(e.recordOffset);
        }
        PutBlocks(blocks);
        if (options_.onMessage) options_.onMessage(e, m.body);
        result_.messages.push_back(std::move(e));
        return deleted ? Outcome::Deleted : Outcome::Existing;
    }

    // A message whose record was wiped (garbage or zeros) and whose body lost a run of
    // blocks; nothing of it may be reported.
    void WriteLost(const Message& m) {
        const std::uint32_t index = nextIndex_++;
        const std::vector<std::uint32_t> offsets = AllocateBlocks(build::BlocksFor(m.body.size()));
        std::vector<build::Block> blocks = build::EncodeMessageBlocks(m.body, offsets);
        const std::vector<build::Property> props = Properties(m, index, offsets.front(), m.read);
        const std::size_t size = build::EncodeIndexRecord(0, props).size();
        const std::uint32_t at = PeekRecord(size);
        Bytes wiped(size);
        if (rng_.Chance(0.5)) FillGarbage(wiped, at, rng_);
        PlaceRecord(at, wiped);
        const std::size_t first = rng_.Below(blocks.size());
        const std::size_t last = first + rng_.Below(blocks.size() - first);
        for (std::size_t i = first; i <= last; ++i) {
            std::fill(blocks[i].bytes.begin(), blocks[i].bytes.end(), 0);
        }
        PutBlocks(blocks);
        ++result_.lostRecords;
        result_.damagedRanges += 2;
    }

    // A stretch between segments that held something once: garbage or zeros.
    void WriteGap() {
        const std::uint64_t size = 0x200 * std::uint64_t(rng_.Range(1, kMaxDamageGap / 0x200));
        const std::uint64_t at = Allocate(size);
        Bytes bytes(size);
        if (rng_.Chance(0.7)) FillGarbage(bytes, at, rng_);
        Put(at, bytes);
        ++result_.damagedRanges;
    }

    // Leaf-shaped tree nodes listing the live records; the first one stands as the root.
    std::uint32_t WriteTree() {
        if (existing_.empty()) return 0;
        const std::size_t nodes = (existing_.size() + kTreeNodeEntries - 1) / kTreeNodeEntries;
        std::uint32_t root = 0;
        for (std::size_t node = 0; node < nodes; node += kNodesPerTreeSegment) {
            const auto start = std::uint32_t(Allocate(kTreeSegmentSize));
            if (node == 0) root = start;
            Bytes segment(kTreeSegmentSize);
            for (std::size_t n = node; n < std::min(nodes, node + kNodesPerTreeSegment); ++n) {
                const auto self = std::uint32_t(start + (n - node) * kTreeNodeSize);
                std::uint8_t* p = segment.data() + (self - start);
                const std::size_t first = n * kTreeNodeEntries;
                const std::size_t count =
                    std::min<std::size_t>(kTreeNodeEntries, existing_.size() - first);
                StoreU32(p, self);
                StoreU32(p + 12, self == root ? 0 : root);
                p[17] = std::uint8_t(count);
                for (std::size_t i = 0; i < count; ++i) {
                    StoreU32(p + 24 + 12 * i, existing_[first + i]);
                }
            }
            Put(start, segment);
        }
        return root;
    }

    GeneratedStore Finish(bool bySize) {
        Flush(records_);
        Flush(blocks_);
        const std::uint32_t root = WriteTree();
        const auto used = std::uint32_t(end_);
        Bytes header =
            build::EncodeFileHeader(options_.folderName, used, std::uint32_t(existing_.size()));
        StoreU32(header.data() + 0x48, freeBlockHead_);
        StoreU32(header.data() + 0xE4, root);
        out_.WriteAt(0, header.data(), header.size());
        const std::uint64_t size = bySize ? std::max<std::uint64_t>(options_.targetSize, used)
                                          : (used + 0xFFFFu) & ~0xFFFFull;
        out_.Resize(size);
        out_.Close();
        result_.fileSize = size;
        result_.usedSpace = used;
        return std::move(result_);
    }

    const GeneratorOptions& options_;
    Rng rng_;
    MessageWriter writer_;
    OutputFile out_;
    std::uint64_t end_ = build::kFirstSegment;
    SegmentBuffer records_;
    std::size_t recordsUsed_ = 0;
    SegmentBuffer blocks_;
    std::uint32_t blocksUsed_ = 0;
    std::vector<std::uint32_t> holes_;
    std::vector<std::uint32_t> existing_;
    std::uint32_t nextIndex_ = 1;
    std::uint32_t freeBlockHead_ = 0;
    std::uint32_t freeRecordHead_ = 0;
    GeneratedStore result_;
};

void AppendJsonText(std::string& out, std::string_view text) {
    out += '"';
    for (char ch : text) {
        const auto c = std::uint8_t(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
            out += escaped;
        } else {
            out += ch;
        }
    }
    out += '"';
}

}  // namespace

const char* StatusName(MessageStatus status) {
    return status == MessageStatus::Deleted ? "Deleted" : "Existing";
}

GeneratedStore GenerateStore(const std::string& path, const GeneratorOptions& options) {
    if (options.messageCount == 0 && options.targetSize == 0) {
        throw std::invalid_argument("give a message count or a target size");
    }
    if (options.messageCount == 0 && options.targetSize > kMaxStoreSize) {
        throw std::invalid_argument("stores hold at most 2 GiB");
    }
    if (!(options.deletedShare >= 0.0 && options.deletedShare <= 1.0)) {
        throw std::invalid_argument("the deleted share lies between 0 and 1");
    }
    if (options.folderName.size() > 0xFF) throw std::invalid_argument("folder name too long");
    bool created = false;
    try {
        Generator generator(path, options);
        created = true;
        return generator.Run();
    } catch (...) {
        if (created) ::unlink(path.c_str());  // an unfinished store is no use to anyone
        throw;
    }
}

std::string ManifestJsonLine(const ManifestEntry& e) {
    std::string out = "{\"index\":" + std::to_string(e.index);
    out += ",\"record_offset\":" + std::to_string(e.recordOffset);
    out += ",\"body_offset\":" + std::to_string(e.bodyOffset);
    out += ",\"status\":\"";
    out += StatusName(e.status);
    out += "\",\"from\":";
    AppendJsonText(out, e.from);
    out += ",\"from_name\":";
    AppendJsonText(out, e.fromName);
    out += ",\"to\":";
    AppendJsonText(out, e.to);
    out += ",\"to_name\":";
    AppendJsonText(out, e.toName);
    out += ",\"subject\":";
    AppendJsonText(out, e.subject);
    out += ",\"date_seconds\":" + std::to_string(e.dateSeconds);
    out += ",\"sent_seconds\":" + std::to_string(e.sentSeconds);
    out += ",\"body_size\":" + std::to_string(e.bodySize) + "}";
    return out;
}

}  // namespace dbx::gen
