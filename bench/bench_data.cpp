#include "bench_data.hpp"

#include <string_view>
#include "text/text.hpp"

namespace gs::bench {

std::uint64_t sequence::next() {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

namespace {

constexpr std::size_t entries_per_list = 5000;
constexpr std::size_t pool = 4000;  // names drawn by the corpus; the lists cover them and more

std::string number(std::size_t i) {
    return std::to_string(i);
}

// A pattern-mode list: exact names, prefixes, suffixes, inner texts and ranges, mixed, 5000 entries.
std::string pattern_list(const std::string& comment, const std::vector<std::string>& exact,
                         const std::vector<std::string>& prefixes, const std::string& filler) {
    std::string text = "# " + comment + "\n";
    std::size_t entries = 0;
    const auto add = [&](const std::string& line, std::size_t count) {
        text += line + "\n";
        entries += count;
    };
    for (std::size_t i = 0; i < exact.size() && entries < 2000; ++i)
        add(exact[i], 1);
    for (std::size_t i = 0; i < prefixes.size() && entries < 3500; ++i)
        add(prefixes[i] + "*", 1);
    for (std::size_t i = 0; entries < 3900; ++i)
        add("*" + filler + "TAIL" + number(i), 1);
    for (std::size_t i = 0; entries < 4300; ++i)
        add("*" + filler + "MID" + number(i) + "*", 1);
    for (std::size_t i = 0; entries + 5 <= entries_per_list; ++i)
        add(filler + "R" + number(i) + "[1-5]", 5);
    for (std::size_t i = 0; entries < entries_per_list; ++i)
        add(filler + "X" + number(i), 1);
    return text;
}

std::string word_list(const std::string& comment, const std::vector<std::string>& names) {
    std::string text = "# " + comment + "\n";
    for (std::size_t i = 0; i < entries_per_list; ++i) {
        text += i < names.size() ? names[i] : "spare" + number(i);
        text += (i % 10 == 9) ? "\n" : " ";
    }
    return text;
}

std::string stripped_upper(std::string name) {
    std::string out;
    for (char c : name) {
        if (gs::is_name_punctuation(c)) continue;
        out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    }
    return out;
}

}  // namespace

std::string computer_name(std::size_t i) {
    return "Prog " + number(i) + " v" + number(i % 7);
}
std::string human_name(std::size_t i) {
    return "Player, Name " + number(i);
}
std::string icc_account(std::size_t i) {
    return "iccbot" + number(i);
}
std::string fics_account(std::size_t i) {
    return "ficsuser" + number(i);
}

std::vector<std::string> full_list_files() {
    std::vector<std::string> humans, computers, icc_computers, icc_humans, fics_computers, fics_humans;
    for (std::size_t i = 0; i < pool; ++i) {
        humans.push_back(stripped_upper(human_name(i)));
        computers.push_back(stripped_upper("Prog " + number(i)));  // prefix of every version
        icc_computers.push_back(icc_account(i));
        icc_humans.push_back("iccplayer" + number(i));
        fics_computers.push_back(fics_account(i));
        fics_humans.push_back("ficsplayer" + number(i));
    }
    std::vector<std::string> events;
    for (std::size_t i = 0; i < pool; ++i)
        events.push_back("Engine Cup " + number(i));
    const std::vector<std::string> none;
    return {
        pattern_list("humans", humans, {"KASPAROV", "KARPOV", "ANAND"}, "HUMAN"),
        pattern_list("untitled ICC accounts", icc_humans, none, "icch"),
        pattern_list("human events", none, {"Man vs Machine"}, "Human Event"),
        pattern_list("computers", none, computers, "PROGRAM"),
        pattern_list("opponent-dependent names", {"FRITZ", "JUNIOR"}, none, "MAYBE"),
        pattern_list("ICC computer accounts", icc_computers, none, "iccc"),
        pattern_list("computer events", none, events, "Comp Event"),
        pattern_list("advanced-chess teams", {"Team Freestyle"}, none, "Team"),
        pattern_list("advanced-chess events", {"PAL/CSS Freestyle"}, none, "Advanced"),
        word_list("FICS computer accounts", fics_computers),
        word_list("titled ICC accounts", icc_humans),
        word_list("FICS human accounts", fics_humans),
    };
}

namespace {

struct seed_game {
    std::vector<std::string> tags;  // tag lines other than Event, Site, White and Black
    std::string event, site, white, black;
    std::vector<std::string> moves;  // movetext lines
};

std::vector<seed_game> parse_seed(const std::string& pgn) {
    std::vector<seed_game> games;
    std::size_t at = 0;
    bool in_moves = true;
    while (at < pgn.size()) {
        std::size_t end = pgn.find('\n', at);
        if (end == std::string::npos) end = pgn.size();
        std::string line = pgn.substr(at, end - at);
        at = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (line.starts_with("[")) {
            if (in_moves) games.emplace_back();
            in_moves = false;
            const std::size_t quote = line.find('"');
            const std::string value =
                quote == std::string::npos ? "" : line.substr(quote + 1, line.size() - quote - 3);
            if (line.starts_with("[Event "))
                games.back().event = value;
            else if (line.starts_with("[Site "))
                games.back().site = value;
            else if (line.starts_with("[White "))
                games.back().white = value;
            else if (line.starts_with("[Black "))
                games.back().black = value;
            else
                games.back().tags.push_back(line);
        } else if (!games.empty() && !line.empty()) {
            in_moves = true;
            games.back().moves.push_back(line);
        }
    }
    return games;
}

void tag(std::string& out, const char* name, const std::string& value) {
    out.append("[").append(name).append(" \"").append(value).append("\"]\n");
}

}  // namespace

std::size_t write_corpus(const std::string& seed_pgn, std::size_t target_bytes, std::string& out) {
    const std::vector<seed_game> seeds = parse_seed(seed_pgn);
    sequence random{2026};
    std::size_t games = 0;
    while (out.size() < target_bytes && !seeds.empty()) {
        const seed_game& game = seeds[games % seeds.size()];
        std::string event = game.event, site = game.site, white = game.white, black = game.black;
        const std::size_t kind = random.below(100);
        if (kind < 5) {  // Internet Chess Club, with the date in the Event and ratings after the names
            event = "ICC 5 0 u " + number(1 + random.below(12)) + "/" + number(1 + random.below(28)) + "/98";
            site = "Internet Chess Club";
            white = (random.below(2) ? icc_account(random.below(pool))
                                     : "iccplayer" + number(random.below(pool))) +
                    " {" + number(1800 + random.below(900)) + "}";
            black = "iccplayer" + number(random.below(2 * pool)) + " {2100}";
        } else if (kind < 8) {  // Free Internet Chess Server
            event = "FICS rated blitz game";
            site = "freechess.org";
            white = fics_account(random.below(2 * pool));
            black = "ficsplayer" + number(random.below(pool));
        } else if (kind < 20) {
            white = computer_name(random.below(2 * pool));
            if (random.below(3) == 0) black = human_name(random.below(2 * pool));
        } else if (kind < 45) {
            white = human_name(random.below(2 * pool));
            black = human_name(random.below(2 * pool));
        } else if (kind < 47) {
            event = "Engine Cup " + number(random.below(pool)) + " final";
            white = "Fritz";
            black = computer_name(random.below(pool));
        } else if (kind < 48) {  // an advanced-chess event
            event = "PAL/CSS Freestyle";
            white = "Team " + number(random.below(100));
        }
        tag(out, "Event", event);
        tag(out, "Site", site);
        for (std::size_t i = 0; i < game.tags.size() && i < 1; ++i)
            out.append(game.tags[i]).append("\n");
        tag(out, "White", white);
        tag(out, "Black", black);
        for (std::size_t i = 1; i < game.tags.size(); ++i)
            out.append(game.tags[i]).append("\n");
        out.append("\n");
        if (random.below(100) == 0) {
            // One line of moves longer than any 4096-byte line buffer.
            std::string line;
            while (line.size() <= 5000) {
                for (const std::string& moves : game.moves)
                    line.append(moves).append(" ");
                line.append("{ a long annotation that continues the same line } ");
            }
            out.append(line).append("\n");
        } else {
            for (const std::string& moves : game.moves)
                out.append(moves).append("\n");
        }
        out.append("\n");
        ++games;
    }
    return games;
}

}  // namespace gs::bench
