#!/usr/bin/env python3
"""Derives the program names of the public engine lists into scripts/lists/engines.txt.

    derive_engines.py MASTER_GAMES

Reads the four lists of scripts/lists/sources/ (see SOURCE.md there: a wiki, a rating list, a testing
framework and a GUI), takes each name's program name (the words before its version, build and hardware
tags: "Obsidian 14.0 64-bit 8CPU" is OBSIDIAN, "Toga II 3.0" TOGA, "toga2" TOGA, "Houdini.exe" HOUDINI)
and rewrites the part of engines.txt after DERIVED_MARK with every program that the hand-written part
above it does not name. Each is given a kind (see engines.txt):

- P, known with any tail, when its name is distinctive: at least five letters, no word of the
  dictionaries in /usr/share/dict (English, German, French, Spanish, Italian and Dutch: the packages
  wamerican, wbritish, wngerman, wfrench, wspanish, witalian and wdutch), not two English words run
  together, no name or name part of a player of MASTER_GAMES or of players.txt, and no beginning of such
  a name, a name part or a proper name of the English dictionaries; and, with six letters or fewer, on a
  list of today's engines and not named after a person (PEOPLES_NAMES);
- O otherwise, when it is on a list of today's engines (the rating list, the testing framework): known
  with a version (BASE[0-9]*), and as a bare name only against a program;
- B otherwise (a program of the past whose name is a word or a name): the bare name only against a
  program.
Names of fewer than three letters, and wiki entries that are no program's name, are left out.
"""
import collections
import fnmatch
import glob
import lzma
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCES = os.path.join(HERE, "sources")
DERIVED_MARK = "# Derived by derive_engines.py"
NAME_PUNCTUATION = set(" \"#$'()-./<>@]_`~")
# The lists of today's engines that rating lists and testing frameworks play.
RATED = ("ccrl-challenger.txt", "openbench-engines.txt")

# Programs of today's lists with a short name that people or characters bear too.
PEOPLES_NAMES = {"ARAMIS", "CATTO", "YUKARI", "MUFASA", "THRAWN", "MRBOB"}

# Words that end a program's name: what follows is its version or build.
TAIL_WORD = re.compile(
    r"^(v?\d.*|r\d+.*|x64|x86|w\d+.*|rtx\d*.*|gtx\d*.*|\d+cpu|64-?bit|32-?bit|dev.*|beta.*|alpha.*|"
    r"tcec.*|nn.*|nnue|mp|se|sse.*|avx.*|bmi.*|popcnt|ja|jp|i|ii|iii|iv|vi|vii|viii|ix|x|xi|xii|"
    r"pro|deluxe|classic|\(.*)$",
    re.IGNORECASE)


def name_form(name):
    """A name as the capitals lists see it: ASCII capitals, blanks and name punctuation removed."""
    upper = "".join(chr(ord(c) - 32) if "a" <= c <= "z" else c for c in name)
    return "".join(c for c in upper if c not in NAME_PUNCTUATION)


def program_name(raw, source):
    """The program's name of one list line, or None when the line names no program."""
    name = raw.strip()
    if source == "cpw-engines.txt" and (len(name.split()) > 4 or re.search(r"[,:]| - ", name)):
        return None  # the wiki's list also links essays and pages about engines
    name = re.sub(r"\.(exe|py|jar|sh|bat|x)$", "", name, flags=re.IGNORECASE)
    words = name.split()
    kept = []
    for i, word in enumerate(words):
        if i > 0 and TAIL_WORD.match(word):
            break
        kept.append(word)
    form = name_form(" ".join(kept))
    # "toga2", "Sirius2", "BugChess2": a single word with its version glued on
    if len(kept) == 1:
        m = re.fullmatch(r"([A-Z]{3,}?)[0-9]+", form)
        if m and len(m.group(1)) >= 3:
            form = m.group(1)
    if not re.fullmatch(r"[A-Z0-9,+&!]+", form) or sum(c.isalpha() for c in form) < 3:
        return None
    return form


def read_words(languages="*"):
    words = set()
    for path in glob.glob("/usr/share/dict/" + languages):
        if os.path.basename(path).startswith(("README", "words.pre")):
            continue
        for line in open(path, encoding="utf-8", errors="replace"):
            w = line.strip().split("/")[0]
            if w and "'" not in w:
                words.add(name_form(w))
    if len(words) < 50000:
        sys.exit("derive_engines.py needs the word lists: apt-get install wamerican wbritish wngerman "
                 "wfrench wspanish witalian wdutch")
    return words


def proper_names():
    """The capitalised words of the English dictionaries (names of people and places), in name form."""
    names = set()
    for path in glob.glob("/usr/share/dict/*-english"):
        for line in open(path, encoding="utf-8", errors="replace"):
            w = line.strip()
            if w[:1].isupper() and "'" not in w and len(w) >= 4:
                names.add(name_form(w))
    return names


def made_of_words(letters, words):
    """True when the name is two words run together, or three of four letters or more ("KILLERCHESS",
    "BLITZMONSTER", "THESNIPER"), as online handles are made; such a name is not distinctive enough to be
    a program's with any tail."""
    def split(rest, parts, shortest):
        if not rest:
            return parts >= 2
        if parts == 3:
            return False
        return any(rest[:n] in words and split(rest[n:], parts + 1, shortest)
                   for n in range(len(rest), shortest - 1, -1))
    return split(letters, 0, 3) and (len(letters) < 12 or split(letters, 0, 4))


def read_player_names(master):
    """The name forms of every player of the master collection and of players.txt, and their parts."""
    opener = lzma.open if master.endswith(".xz") else open
    names = collections.Counter()
    with opener(master, "rt", encoding="latin-1") as f:
        for line in f:
            m = re.match(r'\[(?:White|Black) "(.*)"\]', line)
            if m:
                names[m.group(1)] += 1
    for line in open(os.path.join(HERE, "players.txt"), encoding="utf-8"):
        if line.strip() and not line.startswith("#"):
            names[line.strip()] += 1
    whole, parts = set(), set()
    for name in names:
        whole.add(name_form(name))
        for part in re.split(r"[\s,.()\-]+", name):
            if len(part) >= 3:
                parts.add(name_form(part))
    return whole, parts


def hand_humans():
    """The entries of the hand-written part of lists/humans.cfg, as shell patterns."""
    entries = []
    for line in open(os.path.join(HERE, "..", "..", "lists", "humans.cfg"), encoding="latin-1"):
        if line.startswith("# Generated"):
            break
        line = line.rstrip("\n")
        if line and not line.startswith("#") and "[" not in line:
            entries.append(line)
    return entries


def hand_part(path):
    lines = open(path, encoding="utf-8").read().split("\n")
    for at, line in enumerate(lines):
        if line.startswith(DERIVED_MARK):
            return lines[:at]
    while lines and lines[-1] == "":
        lines.pop()
    return lines


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    engines_path = os.path.join(HERE, "engines.txt")
    hand = hand_part(engines_path)
    known = set()
    for line in hand:
        if line and not line.startswith("#"):
            base, _, *forms = line.split()
            known.add(base)
    programs = collections.defaultdict(set)  # name form: the lists it is on
    for path in sorted(glob.glob(os.path.join(SOURCES, "*.txt"))):
        source = os.path.basename(path)
        for raw in open(path, encoding="utf-8"):
            form = program_name(raw, source)
            if form:
                programs[form].add(source)
    humans = hand_humans()
    words = read_words()
    english = read_words("*-english")
    whole, parts = read_player_names(sys.argv[1])
    player_forms = sorted(whole)

    import bisect

    # The name parts of the players and the proper names of the dictionaries (given names among them):
    # a program's name that begins one ("MONIK", "Monika") would take in a person written given name first.
    name_parts = sorted(parts | proper_names())

    def begins(form, forms):
        at = bisect.bisect_left(forms, form)
        while at < len(forms) and forms[at].startswith(form):
            rest = forms[at][len(form):]
            if rest and not rest[0].isdigit():
                return True
            at += 1
        return False

    def begins_a_player(form):
        return begins(form, player_forms) or begins(form, name_parts)

    derived = []
    kinds = collections.Counter()
    for form in sorted(programs):
        if form in known or any(form.startswith(k) and len(k) >= 5 and known_kind(hand, k) == "C" for k in known):
            continue
        letters = re.sub(r"[^A-Z]", "", form)
        distinctive = (len(letters) >= 5 and form not in words and letters not in words and form not in parts
                       and not begins_a_player(form) and not made_of_words(letters, english))
        modern = any(s in RATED for s in programs[form])
        # A short name is a given name or a handle too often ("TIMEA", "REVATI", "SHARKY"): only a
        # program of today's lists keeps its tails, and not one named after a person or a character.
        if len(letters) <= 6 and (not modern or form in PEOPLES_NAMES):
            distinctive = False
        kind = "P" if distinctive else ("O" if modern else "B")
        if any(fnmatch.fnmatchcase(form, h) for h in humans) or form in whole:
            if not modern:
                continue
            kind = "N"  # a player's name: the program only with its version ("Euwe 2.1.0")
        kinds[kind] += 1
        derived.append(f"{form} {kind}")
    with open(engines_path, "w", encoding="utf-8") as f:
        for line in hand:
            f.write(line + "\n")
        f.write(f"{DERIVED_MARK} from sources/ (see its SOURCE.md); edit above this line.\n")
        for line in derived:
            f.write(line + "\n")
    print(f"{len(programs)} program names in the sources, {len(derived)} not in the hand-written part: "
          + ", ".join(f"{n} {k}" for k, n in sorted(kinds.items())))


_kinds = {}


def known_kind(hand, base):
    if not _kinds:
        for line in hand:
            if line and not line.startswith("#"):
                b, k, *_ = line.split()
                _kinds[b] = k
    return _kinds.get(base)


if __name__ == "__main__":
    main()
