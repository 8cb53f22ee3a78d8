; checksum.asm - adds up W bytes from the address in FSR0 into sum
POSTINC0 equ    0xFEE

        global  checksum, sum

sum_vars udata_acs
count   res     1
sum     res     1

sum_code code
checksum movwf  count, ACCESS
        clrf    sum, ACCESS
next    movf    POSTINC0, w, ACCESS
        addwf   sum, f, ACCESS
        decfsz  count, f, ACCESS
        bra     next
        return  0
        end
