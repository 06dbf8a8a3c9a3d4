# bash completion for gamesieve
_gamesieve() {
    local cur prev
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
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
            local names="comp_vs_comp comp_vs_human comp_vs_rest advanced rest_vs_rest"
            local done_part=""
            [[ $cur == *,* ]] && done_part=${cur%,*},
            COMPREPLY=($(compgen -P "$done_part" -W "$names" -- "${cur##*,}"))
            return ;;
    esac
    if [[ $cur == --evidence=* ]]; then
        local kinds="moves events tags" given=${cur#--evidence=}
        local done_part=""
        [[ $given == *,* ]] && done_part=${given%,*},
        COMPREPLY=($(compgen -P "--evidence=$done_part" -W "$kinds" -- "${given##*,}"))
        return
    fi
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "-l --lists -o --output-dir -s --summary -q --quiet -j --threads -z --compress
            --only --progress --no-progress --player-tags --evidence --unlisted --explain --check-lists --sync --recover -h --help
            -V --version" -- "$cur"))
        return
    fi
    COMPREPLY=($(compgen -f -X '!*.@(pgn|PGN|zst|xz|gz|bz2)' -- "$cur") $(compgen -d -- "$cur"))
}
complete -o filenames -F _gamesieve gamesieve
