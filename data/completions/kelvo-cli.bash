# bash completion for kelvo-cli

_kelvo_cli() {
    local cur prev words cword
    _init_completion -s || return

    local commands="scan clean drives locations audit-dlls keep"
    local scan_options="--patterns --temp --no-temp --zero --no-zero --special --locations
        --older-than --threads --include-package-files --keep --no-keep-list --help"
    local -a patterns=(recommended all none tmp old gid bak chk ftg fts _mp syd wbk xlk
        '$$$' '@@@' '---' '??$' '??~' dir '~*')

    local command="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            scan | clean | drives | locations | audit-dlls | keep)
                command=${words[i]}
                break
                ;;
        esac
    done

    case $prev in
        --format)
            COMPREPLY=($(compgen -W "text tsv csv json" -- "$cur"))
            return
            ;;
        --patterns)
            # a comma-separated list: complete the item after the last comma
            local head="" item=$cur
            [[ $cur == *,* ]] && head=${cur%,*}, item=${cur##*,}
            local p
            COMPREPLY=()
            for p in "${patterns[@]}"; do
                [[ $p == "$item"* ]] && COMPREPLY+=("$head$p")
            done
            compopt -o nospace
            return
            ;;
        --special)
            local head="" item=$cur
            [[ $cur == *,* ]] && head=${cur%,*}, item=${cur##*,}
            COMPREPLY=($(compgen -P "$head" -W "recent history cookies ie-cache all none" -- "$item"))
            compopt -o nospace
            return
            ;;
        --locations)
            local head="" item=$cur
            [[ $cur == *,* ]] && head=${cur%,*}, item=${cur##*,}
            COMPREPLY=($(compgen -P "$head" -W "thumbnails trash browser-cache app-cache crash-dumps
                package-cache old-logs partial-downloads snap-cache dev-cache old-temp old-journal
                all none" -- "$item"))
            compopt -o nospace
            return
            ;;
        --threads | --older-than | --keep)
            return
            ;;
        --from | --from0)
            _filedir
            return
            ;;
        --prefix)
            _filedir -d
            return
            ;;
    esac
    [[ ${was_split-} ]] && return

    local options
    case $command in
        "")
            options="--help --version -h -V"
            if [[ $cur != -* ]]; then
                COMPREPLY=($(compgen -W "$commands" -- "$cur"))
                return
            fi
            ;;
        scan) options="$scan_options --format --print0 -0 --dll-audit" ;;
        clean) options="$scan_options --from --from0 --yes -y --dry-run -n --trash --admin" ;;
        keep)
            options="--pattern --help"
            if [[ $cur != -* && ${words[cword - 1]} == keep ]]; then
                COMPREPLY=($(compgen -W "list add remove" -- "$cur"))
                return
            fi
            ;;
        drives | locations) options="--help" ;;
        audit-dlls) options="--prefix --format --help" ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
        return
    fi
    case $command in
        scan | clean | keep) _filedir -d ;;
    esac
}
complete -F _kelvo_cli kelvo-cli
