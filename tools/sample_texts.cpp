#include "sample_texts.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace dbx::gen {
namespace {

// The tables are written in UTF-8 and turned into windows-1252 once; every character used
// lies in the Latin-1 range, where both agree.
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

}  // namespace

Person MakePerson(Rng& rng) {
    static const int kLanguageWeights[] = {35, 25, 20, 20};  // in the order of Languages()
    int roll = int(rng.Below(100));
    std::size_t language = 0;
    while (roll >= kLanguageWeights[language]) roll -= kLanguageWeights[language++];
    const Language& lang = Languages()[language];
    Person p;
    p.language = &lang;
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

}  // namespace dbx::gen
