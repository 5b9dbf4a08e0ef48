# bash completion for scorestat-cli: the commands, report and chart kinds
# and their options, and the subjects of the database in use. The words come from
# `scorestat-cli complete ...`, so that they follow the installed version.
_scorestat_cli() {
  local cur prev words cword
  _init_completion || return

  local i command="" at=0 db=()
  for ((i = 1; i < cword; i++)); do
    case ${words[i]} in
      --db) db=(--db "${words[i + 1]/#\~/$HOME}"); ((i++)) ;;
      --db=*) db=("--db=${words[i]#--db=}") ;;
      -*) ;;
      *) command=${words[i]}; at=$i; break ;;
    esac
  done

  case $prev in
    --db | -o) _filedir; return ;;
  esac
  if [[ -z $command ]]; then
    COMPREPLY=($(compgen -W "--db --help --version $(scorestat-cli complete commands 2>/dev/null)" -- "$cur"))
    return
  fi
  local IFS=$'\n'
  case $command in
    import) _filedir '@(xls|xlsx|ods|XLS|XLSX|ODS)' ;;
    generate) _filedir '@(xlsx|XLSX)' ;;
    report | chart)
      if ((cword == at + 1)); then
        COMPREPLY=($(compgen -W "--help"$'\n'"$(scorestat-cli complete kinds "$command" 2>/dev/null)" -- "$cur"))
      else
        local kind=${words[at + 1]}
        COMPREPLY=($(compgen -W "$(scorestat-cli "${db[@]}" complete options "$kind" 2>/dev/null)"$'\n'"$(scorestat-cli "${db[@]}" complete subjects 2>/dev/null)" -- "$cur"))
      fi
      ;;
    *) _filedir ;;
  esac
}
complete -F _scorestat_cli scorestat-cli
