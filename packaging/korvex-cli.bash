# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for korvex-cli: its commands and options, the card types
# the tool itself lists (so a user's own count too) and the serial ports.

_korvex_cli_card_types() {
    local data=()
    [[ -n $1 ]] && data=(--data "$1")
    "${COMP_WORDS[0]}" "${data[@]}" cards --format tsv 2>/dev/null | tail -n +2 | cut -f1
}

_korvex_cli_ports() {
    local ports=(COM1 COM2 COM3 COM4 COM5 COM6 COM7 COM8 sim) device
    for device in /dev/serial/by-id/* /dev/ttyUSB* /dev/ttyACM* /dev/ttyS*; do
        [[ -e $device ]] && ports+=("$device")
    done
    printf '%s\n' "${ports[@]}"
}

_korvex_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local takes_value='--data|--port|--speed|--log|--card|-o|--out|--data-out|--pic|--eeprom|--int-eeprom|--count|--record|--db|--station|--since|--until|--db-wait|--reserve|--set|--watchdog|--powerup|--protection|--oscillator|--lock|--description|--processor|--serial|--remove-serial|--format'
    local commands=(state firmware cards view read write verify erase auto lock options fuses card records)
    local command='' data='' i words=()
    # The command, the words after it, and the --data that decides the card types.
    for ((i = 1; i < COMP_CWORD; i++)); do
        local word=${COMP_WORDS[i]}
        if [[ $word == --data ]]; then
            data=${COMP_WORDS[i + 1]}
        fi
        if [[ $word == -* ]]; then
            [[ $word =~ ^($takes_value)$ ]] && ((i++))
        elif [[ -z $command ]]; then
            command=$word
        else
            words+=("$word")
        fi
    done

    local IFS=$'\n' choices=() files=''
    case $prev in
    --card) choices=($(_korvex_cli_card_types "$data")) ;;
    --port) choices=($(_korvex_cli_ports)) ;;
    --speed) choices=(19200 115200) ;;
    --format) [[ $command == records ]] && choices=(text csv) || choices=(text tsv) ;;
    --oscillator) choices=(LP XT HS RC) ;;
    --watchdog | --powerup | --protection | --lock) choices=(on off) ;;
    --data) files=dirs ;;
    --log | -o | --out | --data-out | --pic | --int-eeprom | --record) files=all ;;
    --eeprom) [[ $command == card ]] || files=all ;;
    --set)
        choices=(Auto/WriteEe= Auto/VerifyEe= Auto/WritePic= Auto/VerifyPic= WriteEeprom/WriteEe=
            WriteEeprom/VerifyEe= WritePic/WritePic= WritePic/VerifyPic= Line/StepRetries=)
        compopt -o nospace 2>/dev/null
        ;;
    --serial) choices=(Serial1:memory=eeprom,address=,length=,format=,first=) ;;
    --count | --description | --processor | --db | --station | --since | --until | --db-wait | --reserve | --remove-serial) ;;
    *)
        local options=(--data --port --speed --log --card --yes --quiet --json --help) values=()
        case $command in
        '') options+=(--version --help-all) values=("${commands[@]}") ;;
        cards) options+=(--format) ;;
        view) options+=(--avr --eeprom) files=all ;;
        read) options+=(-o --out --data-out) ;;
        write | verify) options+=(--int-eeprom) ;;
        auto) options+=(--pic --eeprom --int-eeprom --watch --count --record --db --station --db-wait --reserve) ;;
        records) options+=(--record --db --station --since --until --sync --audit --format --db-wait) ;;
        options) options+=(--set) ;;
        fuses) options+=(--watchdog --powerup --protection --oscillator --lock) ;;
        card)
            options+=(--description --processor --eeprom --serial --remove-serial)
            if ((${#words[@]} == 0)); then
                values=(add edit delete)
            elif [[ ${#words[@]} -eq 1 && ${words[0]} != add ]]; then
                values=($(_korvex_cli_card_types "$data"))
            fi
            ;;
        esac
        case $command in
        read | write | verify | erase)
            if ((${#words[@]} == 0)); then
                values=(pic flash eeprom)
            elif [[ $command == write || $command == verify ]] && ((${#words[@]} == 1)); then
                files=all
            fi
            ;;
        esac
        if [[ $cur == -* ]]; then
            choices=("${options[@]}")
            files=''
        else
            choices=("${values[@]}")
        fi
        ;;
    esac

    COMPREPLY=()
    local choice
    for choice in "${choices[@]}"; do
        [[ $choice == "$cur"* ]] && COMPREPLY+=("$(printf '%q' "$choice")")
    done
    if [[ $files == all ]]; then
        COMPREPLY+=($(compgen -f -- "$cur"))
        compopt -o filenames 2>/dev/null
    elif [[ $files == dirs ]]; then
        COMPREPLY+=($(compgen -d -- "$cur"))
        compopt -o filenames 2>/dev/null
    fi
}

complete -F _korvex_cli korvex-cli
