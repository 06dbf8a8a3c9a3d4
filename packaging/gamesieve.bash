# bash completion for gamesieve; works in a plain bash as well as with the bash-completion package.

# Completes a comma-separated list of names from words, leaving out those already given.
_gamesieve_list() {
    local words=$1 cur=$2 given="" name left=""
    [[ $cur == *,* ]] && given=${cur%,*},
    for name in $words; do
        [[ ,$given == *,$name,* ]] || left+="$name "
    done
    COMPREPLY=($(compgen -P "$given" -W "$left" -- "${cur##*,}"))
}

_gamesieve() {
    local cur prev
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    # "--lists=dir": bash splits the word at '=' (COMP_WORDBREAKS), so the option is one or two words back.
    if [[ $cur == = ]]; then
        cur=""
    elif [[ $prev == = ]]; then
        prev=${COMP_WORDS[COMP_CWORD-2]}
    fi
    case $prev in
        -l|--lists|-o|--output-dir)
            COMPREPLY=($(compgen -d -- "$cur"))
            return ;;
        --explain|--unlisted)
            COMPREPLY=($(compgen -f -- "$cur"))
            return ;;
        -j|--threads)
            COMPREPLY=($(compgen -W "1 2 4 8 16" -- "$cur"))
            return ;;
        -z|--compress)
            COMPREPLY=($(compgen -W "zstd gzip xz bzip2 zstd:19 gzip:9 xz:9 bzip2:9" -- "$cur"))
            return ;;
        --only)
            _gamesieve_list "comp_vs_comp comp_vs_human comp_vs_rest advanced rest_vs_rest" "$cur"
            return ;;
        --evidence)
            # Only "--evidence=..." takes kinds; after "--evidence " comes an input.
            if [[ ${COMP_WORDS[COMP_CWORD-1]} == = || ${COMP_WORDS[COMP_CWORD]} == = ]]; then
                _gamesieve_list "moves events tags" "$cur"
                return
            fi ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "-l --lists -o --output-dir -s --summary -q --quiet -j --threads -z --compress
            --only --progress --no-progress --player-tags --evidence --unlisted --explain --check-lists --sync
            --recover --again --ledger --resumable --resume -h --help -V --version" -- "$cur"))
        return
    fi
    # The PGN files (compressed ones too) and directories; the pattern needs extglob, which a plain bash
    # leaves off, so it is turned on here and put back as it was.
    local extglob_was
    extglob_was=$(shopt -p extglob)
    shopt -s extglob
    COMPREPLY=($(compgen -f -X '!*.@(pgn|PGN|zst|xz|gz|bz2)' -- "$cur") $(compgen -d -- "$cur"))
    eval "$extglob_was"
}
complete -o filenames -F _gamesieve gamesieve
