# bash completion for glimractl: commands, their options, colour and mode names, brightness
# levels, and file names for firmware.

_glimractl() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local commands="list status color up down brightness mode on off default recover firmware serve"
    local command="" argument_given=0 options_end=0 i word
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ $options_end == 0 && $word == -- ]]; then
            options_end=1
        elif [[ $options_end == 1 || $word != -* ]]; then
            if [[ -z $command ]]; then
                command=$word
            else
                argument_given=1
            fi
        fi
    done

    if [[ $cur == -* && $options_end == 0 ]]; then
        local options="--help -h --version"
        case $command in
            list) options+=" --json" ;;
            status) options+=" --json --dump" ;;
            firmware) options+=" --json --yes -y" ;;
            serve) options+=" --openrgb" ;;
        esac
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        return
    fi
    [[ $argument_given == 1 ]] && return
    case $command in
        color)
            COMPREPLY=($(compgen -W "red white cyan blue green yellow orange purple" -- "$cur"))
            ;;
        mode)
            COMPREPLY=($(compgen -W "static strobe breath gradual static-cycle breath-cycle" \
                -- "$cur"))
            ;;
        brightness)
            COMPREPLY=($(compgen -W "1 2 3 4 5 6 7 8" -- "$cur"))
            ;;
        firmware)
            if declare -F _filedir >/dev/null; then
                _filedir
            else
                compopt -o filenames 2>/dev/null
                COMPREPLY=($(compgen -f -- "$cur"))
            fi
            ;;
    esac
} &&
    complete -F _glimractl glimractl
