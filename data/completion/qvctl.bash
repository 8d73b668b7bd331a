# bash completion for qvctl. Everything it offers comes from qvctl itself, so it never falls behind:
# the commands from `qvctl --help`, a command's options and their choices from `qvctl COMMAND --help`,
# printer names from `qvctl printers` and device names from `qvctl device list`.

# The command names of the overview, one a line ("ticket show" keeps its blank).
_qvctl_commands() {
    "$1" --help 2>/dev/null | sed -n '/^commands:/,/^$/s/^  \([^ ][^ ]*\( [^ ][^ ]*\)*\)   .*/\1/p'
}

# The device names `qvctl printers` lists ("* " marks the current one).
_qvctl_printers() {
    "$1" printers 2>/dev/null | sed -n 's/^[* ] \([^,]*\),.*/\1/p'
}

# The device names of the devices file (`qvctl device list`: "NAME URI" a line).
_qvctl_devices() {
    "$1" device list 2>/dev/null | sed -n 's/^\([^ ][^ ]*\) .*/\1/p'
}

# The usage lines of one command's --help (they end at its summary, the first line not indented
# after the first).
_qvctl_usage() {
    # shellcheck disable=SC2086 # the command's words are meant to split
    "$1" $2 --help 2>/dev/null | sed -n '1s/^usage: [^ ]* \[--printer NAME\] //p;2,${/^    /p;/^    /!q}'
}

_qvctl() {
    local cur prev program
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=""
    [ "$COMP_CWORD" -gt 0 ] && prev=${COMP_WORDS[COMP_CWORD - 1]}
    program=${COMP_WORDS[0]}
    COMPREPLY=()
    # bash splits "--paper=76" at "=" into three words: complete the value as after "--paper 76".
    if [ "$cur" = "=" ]; then
        cur=""
    elif [ "$prev" = "=" ] && [ "$COMP_CWORD" -gt 1 ]; then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi

    if [ "$prev" = --printer ]; then
        mapfile -t COMPREPLY < <(compgen -W "$(_qvctl_printers "$program")" -- "$cur")
        return 0
    fi
    if [ "$prev" = --device ]; then
        mapfile -t COMPREPLY < <(compgen -W "$(_qvctl_devices "$program")" -- "$cur")
        return 0
    fi
    # A print server is the user's to name.
    [ "$prev" = --server ] && return 0

    # The words before the cursor, without the program and the global options.
    local -a words=()
    local i=1
    while [ "$i" -lt "$COMP_CWORD" ]; do
        case ${COMP_WORDS[i]} in
            --printer | --server | --device)
                i=$((i + 1))
                [ "${COMP_WORDS[i]}" = "=" ] && i=$((i + 1))
                ;;
            = | --printer=* | --server=* | --device=* | --json | --dry-run | --follow-baud | -h | --help | --version) ;;
            *) words+=("${COMP_WORDS[i]}") ;;
        esac
        i=$((i + 1))
    done

    # No command yet: the commands (first words only) and the global options.
    local commands
    commands=$(_qvctl_commands "$program")
    if [ ${#words[@]} -eq 0 ]; then
        if [[ $cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W "--server --printer --device --follow-baud --json --dry-run --help --version" -- "$cur")
        else
            mapfile -t COMPREPLY < <(compgen -W "$(printf '%s\n' "$commands" | cut -d' ' -f1 | sort -u) help" -- "$cur")
        fi
        return 0
    fi

    # A two-word command: after its first word, its second words.
    local command=${words[0]} line
    if [ "$command" = help ]; then
        mapfile -t COMPREPLY < <(compgen -W "$(printf '%s\n' "$commands" | cut -d' ' -f1 | sort -u)" -- "$cur")
        return 0
    fi
    local seconds=""
    while IFS= read -r line; do
        [[ $line == "$command "* ]] && seconds+=" ${line#* }"
    done <<<"$commands"
    if [ -n "$seconds" ]; then
        if [ ${#words[@]} -eq 1 ]; then
            mapfile -t COMPREPLY < <(compgen -W "$seconds" -- "$cur")
            return 0
        fi
        command+=" ${words[1]}"
    fi

    local usage
    usage=$(_qvctl_usage "$program" "$command")
    # After an option that takes a value: its choices when the usage lists them ("--paper 76|58").
    if [[ $prev == --* ]]; then
        local value
        value=$(printf '%s\n' "$usage" | tr -s ' []' '\n' | grep -A1 -x -- "$prev" | sed -n 2p)
        if [ -n "$value" ] && [[ $value != --* ]]; then
            [[ $value == *"|"* ]] && mapfile -t COMPREPLY < <(compgen -W "${value//|/ }" -- "$cur")
            return 0
        fi
    fi
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(printf '%s\n' "$usage" | grep -o -- '--[a-z-]*' | sort -u) --help" -- "$cur")
        return 0
    fi
    case $command in
        use) [ ${#words[@]} -eq 1 ] && mapfile -t COMPREPLY < <(compgen -W "$(_qvctl_printers "$program")" -- "$cur") ;;
        set)
            # ITEM, then its CHOICEs, from the table in `qvctl set --help`.
            local table
            table=$("$program" set --help 2>/dev/null | sed -n 's/^  \([a-z-]*\)  *\([^ ]*\)$/\1 \2/p')
            if [ ${#words[@]} -eq 1 ]; then
                mapfile -t COMPREPLY < <(compgen -W "$(printf '%s\n' "$table" | cut -d' ' -f1)" -- "$cur")
            elif [ ${#words[@]} -eq 2 ]; then
                local choices
                choices=$(printf '%s\n' "$table" | sed -n "s/^${words[1]} //p")
                mapfile -t COMPREPLY < <(compgen -W "${choices//|/ }" -- "$cur")
            fi
            ;;
        tune) [ ${#words[@]} -eq 1 ] && mapfile -t COMPREPLY < <(compgen -W "single all" -- "$cur") ;;
        file | decode | "ticket "*) mapfile -t COMPREPLY < <(compgen -f -- "$cur") ;;
        printer-state) [ ${#words[@]} -eq 1 ] && mapfile -t COMPREPLY < <(compgen -d -- "$cur") ;;
    esac
    return 0
}

complete -F _qvctl qvctl
