; delay.asm - busy wait: W times 256 turns of an inner loop

        global  delay

.udata  udata
outer   res     1
inner   res     1

delay_code code
delay   banksel outer
        movwf   outer
again   clrf    inner
wait    decfsz  inner, f
        goto    wait
        decfsz  outer, f
        goto    again
        return
        end
