# Bash completion of the vorlane tool: commands, their options, setting
# names, states, and the IDs of the store's templates and instances.
# Installed as share/bash-completion/completions/vorlane; to try it from a
# build tree: source cli/completion/vorlane.bash

_vorlane_ids() {
  # The store the command line names, else $VORLANE_STORE, else the default.
  local store="" i
  for ((i = 1; i < ${#COMP_WORDS[@]}; i++)); do
    [[ ${COMP_WORDS[i]} == --store ]] && store=${COMP_WORDS[i + 1]}
  done
  local -a args=()
  [[ -n $store ]] && args=(--store "$store")
  "${COMP_WORDS[0]}" "${args[@]}" "$1" 2>/dev/null | awk 'NR > 1 { print $1 }'
}

_vorlane() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  local commands="init templates instances types show validate render new-template instance start pause resume
    stop log export import delete settings convert serve help"
  local global="--store --user --locale --groups --json --version --help"

  case $prev in
    --store | -o | --output) COMPREPLY=($(compgen -f -- "$cur")); return ;;
    --locale) COMPREPLY=($(compgen -W "1033 1049 1058 1062 1087" -- "$cur")); return ;;
    --format) COMPREPLY=($(compgen -W "svg dot" -- "$cur")); return ;;
    --state) COMPREPLY=($(compgen -W "NonActive Active Paused Failed Finished" -- "$cur")); return ;;
    --template) COMPREPLY=($(compgen -W "$(_vorlane_ids templates)" -- "$cur")); return ;;
    --user | --groups | --name | --var | --tail | --limit | --port | --listen) return ;;
  esac

  # The command is the first word that is no option nor an option's value.
  local command="" i
  for ((i = 1; i < COMP_CWORD; i++)); do
    case ${COMP_WORDS[i]} in
      --store | --user | --locale | --groups) ((i++)) ;;
      -*) ;;
      *) command=${COMP_WORDS[i]}; break ;;
    esac
  done

  if [[ -z $command ]]; then
    if [[ $cur == -* ]]; then
      COMPREPLY=($(compgen -W "$global" -- "$cur"))
    else
      COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    fi
    return
  fi

  local options=""
  case $command in
    templates) options="--name --limit" ;;
    instances) options="--name --template --state --limit" ;;
    render) options="-o --output --format" ;;
    instance) options="--name --var --force" ;;
    start) options="--force" ;;
    log) options="--tail --follow" ;;
    export) options="--subprocesses --no-subprocesses" ;;
    import) options="--into --yes --subprocesses --no-subprocesses" ;;
    delete) options="--yes" ;;
    serve) options="--port --user --listen" ;;
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options --help" -- "$cur"))
    return
  fi
  case $command in
    help) COMPREPLY=($(compgen -W "$commands" -- "$cur")) ;;
    settings) COMPREPLY=($(compgen -W "ShowExportDialog ShowImportDialog ExportWithSubprocesses
      ImportWithSubprocesses true false" -- "$cur")) ;;
    import) COMPREPLY=($(compgen -f -- "$cur")) ;;
    validate | render) COMPREPLY=($(compgen -f -- "$cur") $(compgen -W "$(_vorlane_ids templates)" -- "$cur")) ;;
    show | log | export | delete | convert)
      COMPREPLY=($(compgen -W "$(_vorlane_ids templates) $(_vorlane_ids instances)" -- "$cur")) ;;
    instance) COMPREPLY=($(compgen -W "$(_vorlane_ids templates)" -- "$cur")) ;;
    start | pause | resume | stop) COMPREPLY=($(compgen -W "$(_vorlane_ids instances)" -- "$cur")) ;;
  esac
}

complete -F _vorlane vorlane
