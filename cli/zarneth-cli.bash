# bash completion for zarneth-cli: commands, options (those not given yet), model names after
# --model in any letter case (as the tool itself lists them), file names after the path
# options, and the --option=value forms of all of them.
_zarneth_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local prev=${COMP_WORDS[COMP_CWORD - 1]}
  local command="" i
  for ((i = 1; i < COMP_CWORD; i++)); do
    case ${COMP_WORDS[i]} in
      patch | cut | verify | show | models | identify | locate | compare)
        command=${COMP_WORDS[i]}
        # "models add" and "models remove" have options of their own.
        if [ "$command" = models ] && ((i + 1 < COMP_CWORD)); then
          case ${COMP_WORDS[i + 1]} in add | remove) command="models ${COMP_WORDS[i + 1]}" ;; esac
        fi
        break ;;
    esac
  done

  COMPREPLY=()
  # --option=value: complete the value as after "--option value".
  local prefix=""
  if [[ $cur == --*=* ]]; then
    prev=${cur%%=*}
    prefix=$prev=
    cur=${cur#*=}
  fi
  case $prev in
    --model)
      local models upper=${cur^^}
      # The versions of the tables in force, the --models given on the line included.
      local tables=() j
      for ((j = 1; j < COMP_CWORD; j++)); do
        [ "${COMP_WORDS[j]}" = --models ] && tables+=(--models "${COMP_WORDS[j + 1]}")
      done
      models=$("${COMP_WORDS[0]}" models "${tables[@]}" 2>/dev/null | awk 'NR > 1 { print $1 }')
      mapfile -t COMPREPLY < <(compgen -P "$prefix" -W "$models" -- "$upper")
      return ;;
    --source | --transcript | --output | --replace | --with | --models | --table)
      compopt -o filenames 2>/dev/null
      mapfile -t COMPREPLY < <(compgen -P "$prefix" -f -- "$cur")
      return ;;
    --start | --end | --note | --min-agree)
      return ;;
  esac

  local words
  case $command in
    patch) words="--source --transcript --model --start --replace --min-agree --output --in-place
                  --backup --allow-overrun --dry-run --no-clobber --quiet --models --help" ;;
    cut) words="--source --model --start --end --output --dry-run --no-clobber --quiet --models
                --help" ;;
    verify) words="--source --transcript --model --start --quiet --models --help" ;;
    show) words="--source --model --start --end --crc --models --help" ;;
    models) words="add remove --models --help" ;;
    "models add") words="--start --end --source --note --table --quiet --models --help" ;;
    "models remove") words="--table --quiet --models --help" ;;
    identify) words="--source --quiet --models --help" ;;
    locate) words="--source --transcript --all --detail --quiet --models --help" ;;
    compare) words="--source --with --model --start --end --quiet --models --help" ;;
    *) words="patch cut verify show models identify locate compare --help --version --quiet
              --models" ;;
  esac
  # An option already on the line is not offered again, nor one that goes only with its
  # opposite: patch writes either a copy (--output, --no-clobber) or in place (--in-place,
  # --backup), and at --model or --start or where the --replace block stands.
  local given word kept="" excluded=""
  for given in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
    case ${given%%=*} in
      --in-place | --backup) excluded+=" --output --no-clobber" ;;
      --output | --no-clobber) [ "$command" = patch ] && excluded+=" --in-place --backup" ;;
      --replace) excluded+=" --model --start" ;;
      --model | --start) [ "$command" = patch ] && excluded+=" --replace" ;;
    esac
  done
  for word in $words; do
    for given in "${COMP_WORDS[@]:1:COMP_CWORD-1}" $excluded; do
      [ "${given%%=*}" = "$word" ] && continue 2
    done
    kept+="$word "
  done
  mapfile -t COMPREPLY < <(compgen -W "$kept" -- "$cur")
}
complete -F _zarneth_cli zarneth-cli
